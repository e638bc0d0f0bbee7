// SVG evaluation chart: a light area where White stands better, a dark one where Black does.
#include "cli/annotate/eval_graph.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace zarn::cli {
namespace {

constexpr double Width = 900;
constexpr double Height = 400;
constexpr double Left = 56;
constexpr double Right = 20;
constexpr double Top = 58;
constexpr double Bottom = 44;

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\'': escaped += "&apos;"; break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') escaped += c;
        }
    }
    return escaped;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

const char* MarkColour(int nag) {
    switch (nag) {
        case 4: return "#d62728";  // blunder
        case 2: return "#ff7f0e";  // mistake
        default: return "#e6c619";  // dubious
    }
}

const char* MarkName(int nag) {
    switch (nag) {
        case 4: return "blunder";
        case 2: return "mistake";
        default: return "dubious";
    }
}

// A tag's value as far as it is known: "" for a missing tag or ?, a date up to its first unknown part.
std::string KnownPart(const PgnGame& game, const char* name) {
    std::string value = TagValue(game, name);
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    value = value.substr(first, value.find_last_not_of(" \t") + 1 - first);
    if (std::string_view(name) == "Date") {
        std::string known;
        for (std::size_t begin = 0; begin <= value.size();) {
            std::size_t end = value.find('.', begin);
            if (end == std::string::npos) end = value.size();
            const std::string field = value.substr(begin, end - begin);
            if (field.empty() || field.find('?') != std::string::npos) break;
            known += (known.empty() ? "" : ".") + field;
            begin = end + 1;
        }
        return known;
    }
    return value.find_first_not_of('?') == std::string::npos ? "" : value;
}

}  // namespace

std::string GraphSubtitle(const PgnGame& game, const std::string& analysis) {
    std::string subtitle;
    for (const char* name : {"Event", "Site", "Date"}) {
        const std::string known = KnownPart(game, name);
        if (known.empty()) continue;
        if (!subtitle.empty()) subtitle += ", ";
        subtitle += known;
    }
    return subtitle.empty() ? analysis : subtitle + "; " + analysis;
}

std::string EvalGraphSvg(const std::string& title, const std::string& subtitle, const std::vector<GraphPoint>& points,
                         int firstMoveNumber, bool whiteMovesFirst) {
    const double plotWidth = Width - Left - Right;
    const double plotHeight = Height - Top - Bottom;
    const int plies = std::max<int>(1, static_cast<int>(points.size()) - 1);
    auto x = [&](int ply) { return Left + plotWidth * ply / plies; };
    auto y = [&](double pawns) {
        const double clamped = std::clamp(pawns, -double(GraphBoundPawns), double(GraphBoundPawns));
        return Top + plotHeight * (GraphBoundPawns - clamped) / (2.0 * GraphBoundPawns);
    };
    const double zero = y(0);

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(Width) + "\" height=\"" + Number(Height) +
           "\" viewBox=\"0 0 " + Number(Width) + " " + Number(Height) + "\" font-family=\"sans-serif\">\n";
    svg += "<title>" + Escaped(title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    svg += "<text x=\"" + Number(Left) + "\" y=\"22\" font-size=\"16\" font-weight=\"bold\">" + Escaped(title) + "</text>\n";
    svg += "<text x=\"" + Number(Left) + "\" y=\"42\" font-size=\"12\" fill=\"#555555\">" + Escaped(subtitle) + "</text>\n";
    // The plot: Black's half dark, White's light.
    svg += "<rect x=\"" + Number(Left) + "\" y=\"" + Number(Top) + "\" width=\"" + Number(plotWidth) + "\" height=\"" +
           Number(plotHeight) + "\" fill=\"#e4e4e4\" stroke=\"#999999\"/>\n";

    // Horizontal grid and the pawn scale.
    for (int pawns = -GraphBoundPawns; pawns <= GraphBoundPawns; ++pawns) {
        const double row = y(pawns);
        svg += "<line x1=\"" + Number(Left) + "\" y1=\"" + Number(row) + "\" x2=\"" + Number(Left + plotWidth) +
               "\" y2=\"" + Number(row) + "\" stroke=\"" + (pawns == 0 ? "#333333" : "#c8c8c8") + "\" stroke-width=\"" +
               (pawns == 0 ? "1.5" : "1") + "\"/>\n";
        const std::string label = (pawns > 0 ? std::string("+") : std::string()).append(std::to_string(pawns));
        svg += "<text x=\"" + Number(Left - 8) + "\" y=\"" + Number(row + 4) +
               "\" font-size=\"11\" text-anchor=\"end\">" + label + "</text>\n";
    }
    // Move numbers along the bottom, every so many moves.
    const int moves = (plies + 1) / 2;
    const int step = moves <= 20 ? 2 : moves <= 50 ? 5 : moves <= 100 ? 10 : 20;
    for (int ply = 0; ply <= plies; ++ply) {
        // The point of ply p is the position after p plies; move n by White ends at ply 2n - 1 from the usual start.
        const int afterPlies = ply + (whiteMovesFirst ? 0 : 1);
        if (afterPlies % 2 != 1) continue;
        const int number = firstMoveNumber + afterPlies / 2;
        if (number % step != 0) continue;
        const double column = x(ply);
        svg += "<line x1=\"" + Number(column) + "\" y1=\"" + Number(Top + plotHeight) + "\" x2=\"" + Number(column) +
               "\" y2=\"" + Number(Top + plotHeight + 5) + "\" stroke=\"#333333\"/>\n";
        svg += "<text x=\"" + Number(column) + "\" y=\"" + Number(Top + plotHeight + 18) +
               "\" font-size=\"11\" text-anchor=\"middle\">" + std::to_string(number) + "</text>\n";
    }
    svg += "<text x=\"" + Number(Left + plotWidth / 2) + "\" y=\"" + Number(Height - 6) +
           "\" font-size=\"12\" text-anchor=\"middle\">move</text>\n";
    svg += "<text x=\"14\" y=\"" + Number(Top + plotHeight / 2) + "\" font-size=\"12\" text-anchor=\"middle\" transform=\"rotate(-90 14 " +
           Number(Top + plotHeight / 2) + ")\">pawns, White's view</text>\n";

    if (!points.empty()) {
        // The area between the curve and zero, dark below it, and the curve itself.
        std::string curve;
        for (std::size_t i = 0; i < points.size(); ++i)
            curve += Number(x(static_cast<int>(i))) + "," + Number(y(points[i].whitePawns)) + " ";
        const std::string area = Number(x(0)) + "," + Number(zero) + " " + curve +
                                 Number(x(static_cast<int>(points.size()) - 1)) + "," + Number(zero);
        svg += "<clipPath id=\"black-side\"><rect x=\"" + Number(Left) + "\" y=\"" + Number(zero) + "\" width=\"" +
               Number(plotWidth) + "\" height=\"" + Number(Top + plotHeight - zero) + "\"/></clipPath>\n";
        svg += "<polygon points=\"" + area + "\" fill=\"#ffffff\" stroke=\"none\"/>\n";
        svg += "<polygon points=\"" + area + "\" fill=\"#555555\" stroke=\"none\" clip-path=\"url(#black-side)\"/>\n";
        svg += "<polyline points=\"" + curve + "\" fill=\"none\" stroke=\"#1f4e9c\" stroke-width=\"2\"/>\n";
        for (std::size_t i = 1; i < points.size(); ++i) {
            const GraphPoint& point = points[i];
            if (point.nag != 2 && point.nag != 4 && point.nag != 6) continue;
            svg += "<circle cx=\"" + Number(x(static_cast<int>(i))) + "\" cy=\"" + Number(y(point.whitePawns)) +
                   "\" r=\"5\" fill=\"" + MarkColour(point.nag) + "\" stroke=\"#000000\" stroke-width=\"0.8\"><title>" +
                   Escaped(point.label + " " + MarkName(point.nag) + " (" + point.evalText + ")") + "</title></circle>\n";
        }
    }
    // Legend.
    double legend = Left + plotWidth - 250;
    for (int nag : {6, 2, 4}) {
        svg += "<circle cx=\"" + Number(legend) + "\" cy=\"38\" r=\"5\" fill=\"" + MarkColour(nag) +
               "\" stroke=\"#000000\" stroke-width=\"0.8\"/>\n";
        svg += "<text x=\"" + Number(legend + 9) + "\" y=\"42\" font-size=\"12\">" + MarkName(nag) + "</text>\n";
        legend += 85;
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace zarn::cli
