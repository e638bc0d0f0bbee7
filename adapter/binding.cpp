// Binding the engine library's entry points by export name.
#include "adapter/binding.h"

#include "platform/platform.h"

namespace zarn::adapter {
namespace {

void* engineModule = nullptr;
std::array<void*, EntryCount> entryTable{};

}  // namespace

void* EntryAddress(EngineEntry entry) { return entryTable[entry]; }

bool BindEngine(const char* path) {
    UnbindEngine();
    void* module = platform::LoadLibrary(path);
    if (module == nullptr) return false;
    for (int entry = 0; entry < EntryCount; ++entry) {
        entryTable[entry] = platform::FindSymbol(module, EntryDescriptions[entry].ExportName);
        if (entryTable[entry] == nullptr && EntryDescriptions[entry].Required) {
            entryTable.fill(nullptr);
            platform::FreeLibrary(module);
            return false;
        }
    }
    engineModule = module;
    return true;
}

void UnbindEngine() {
    entryTable.fill(nullptr);
    if (engineModule != nullptr) platform::FreeLibrary(engineModule);
    engineModule = nullptr;
}

bool EngineBound() { return engineModule != nullptr; }

}  // namespace zarn::adapter
