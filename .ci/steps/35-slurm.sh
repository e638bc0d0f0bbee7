#!/usr/bin/env bash
# CI step: game review split over a Slurm job array, as the README shows it. Starts a single-node Slurm
# on this machine for localhost only (munged, slurmctld and slurmd run by hand as root, with their
# configuration, keys, sockets, state and logs in a temporary folder, on ports of their own), submits a
# three-task array in which task K runs `zarn annotate --shard K/3` over a dozen games at depth 3, and
# checks that the three outputs joined in order are the file of a single run. The daemons are stopped
# and the folder removed afterwards, also on failure; every wait is bounded. Installs the packages of
# tools/packages-slurm.txt when they are missing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
started=$SECONDS
build=${ZARN_LINUX_BUILD:-$root/build}

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi

packages=()
while IFS= read -r line || [ -n "$line" ]; do
    line=${line%%#*}
    for word in $line; do packages+=("$word"); done
done <tools/packages-slurm.txt
missing=()
for package in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)" = "install ok installed" ] || missing+=("$package")
done
if [ "${#missing[@]}" -ne 0 ]; then
    echo "35-slurm: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 update >/dev/null
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

if [ ! -x "$build/zarn" ] || [ ! -x "$build/zarn-selfplay" ]; then
    cmake -S . -B "$build" >/dev/null
    cmake --build "$build" -j"${ZARN_JOBS:-2}" --target zarn zarn-selfplay >/dev/null
fi

work=$(mktemp -d /tmp/zarn-slurm.XXXXXX)
chmod 0755 "$work"
daemons=()
# Stops each daemon this step started (by the process id it wrote), the whole array first.
stop_all() {
    local status=$?
    set +e
    if [ -n "${SLURM_CONF:-}" ] && [ -n "${job:-}" ]; then timeout 10 scancel "$job" 2>/dev/null; fi
    for pidfile in "${daemons[@]}"; do
        [ -s "$pidfile" ] && "${sudo[@]}" kill -TERM "$(cat "$pidfile")" 2>/dev/null
    done
    for pidfile in "${daemons[@]}"; do
        [ -s "$pidfile" ] || continue
        pid=$(cat "$pidfile")
        for _ in $(seq 100); do "${sudo[@]}" kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        "${sudo[@]}" kill -KILL "$pid" 2>/dev/null
    done
    if [ "$status" -ne 0 ]; then
        for log in "$work"/*.log; do
            [ -f "$log" ] && { echo "--- $log"; tail -n 30 "$log"; }
        done
    fi
    "${sudo[@]}" rm -rf "$work"
    exit "$status"
}
trap stop_all EXIT

# Waits at most $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "35-slurm: gave up after ${limit}s waiting for: $*" >&2
            return 1
        fi
        sleep 0.5
    done
}

# Authentication: a key of our own and a munged on a socket in the folder.
mkdir -m 0700 "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chmod 0400 "$work/munge/munge.key"
"${sudo[@]}" munged --force --key-file="$work/munge/munge.key" --socket="$work/munge/munge.socket" \
    --pid-file="$work/munge/munged.pid" --log-file="$work/munged.log" --seed-file="$work/munge/munged.seed"
daemons+=("$work/munge/munged.pid")
wait_for 30 test -S "$work/munge/munge.socket"

# One node, this machine under its own name at 127.0.0.1, two processors; ports of their own.
host=$(hostname -s)
processors=$(nproc)
mkdir -p "$work/state" "$work/spool"
cat >"$work/slurm.conf" <<EOF
ClusterName=zarnci
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=46817
SlurmdPort=46818
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/munge.socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MpiDefault=none
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
JobAcctGatherType=jobacct_gather/none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$processors State=UNKNOWN
PartitionName=ci Nodes=$host Default=YES MaxTime=60 State=UP
EOF
export SLURM_CONF=$work/slurm.conf
"${sudo[@]}" env SLURM_CONF="$SLURM_CONF" slurmctld -i
daemons+=("$work/slurmctld.pid")
wait_for 60 timeout 10 scontrol ping
"${sudo[@]}" env SLURM_CONF="$SLURM_CONF" slurmd -N "$host"
daemons+=("$work/slurmd.pid")
wait_for 60 sh -c "timeout 10 sinfo -h -n '$host' -o %T | grep -qx idle"
echo "35-slurm: Slurm up on $host after $((SECONDS - started)) s"

# A dozen games, reviewed once whole and once as a three-task array.
"$build/zarn-selfplay" --engine "$build/zarn" --games 12 --seed 35 >"$work/games.pgn"
"$build/zarn" annotate "$work/games.pgn" --depth 3 --output "$work/single.pgn"
cat >"$work/review.sbatch" <<EOF
#!/bin/sh
#SBATCH --job-name=zarn-review
#SBATCH --array=1-3
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --time=10
#SBATCH --output=$work/task-%a.log
exec "$build/zarn" annotate "$work/games.pgn" --depth 3 --shard \$SLURM_ARRAY_TASK_ID/3 \\
    --output "$work/part-\$SLURM_ARRAY_TASK_ID.pgn" --resume
EOF
submitted=$SECONDS
job=$(timeout 30 sbatch --parsable "$work/review.sbatch")
wait_for 600 sh -c "[ -z \"\$(timeout 10 squeue -h -j '$job' -o %i)\" ]"
states=$(timeout 10 scontrol show job "$job" | grep -o 'JobState=[A-Z_]* .*\|ExitCode=[0-9:]*' | paste -sd' ')
echo "35-slurm: array $job done after $((SECONDS - submitted)) s: $states"
completed=$(timeout 10 scontrol show job "$job" | grep -c 'JobState=COMPLETED' || true)
if [ "$completed" != 3 ]; then
    echo "35-slurm: $completed of the 3 tasks completed" >&2
    cat "$work"/task-*.log >&2
    exit 1
fi
for task in 1 2 3; do
    [ -f "$work/part-$task.pgn" ] || { echo "35-slurm: task $task wrote no output" >&2; cat "$work/task-$task.log" >&2; exit 1; }
done
if ! cat "$work/part-1.pgn" "$work/part-2.pgn" "$work/part-3.pgn" | cmp -s - "$work/single.pgn"; then
    echo "35-slurm: the three shards joined differ from the single run" >&2
    exit 1
fi
games=$(grep -c '^\[Event ' "$work/single.pgn")
echo "35-slurm: three shards joined equal the single run ($games games); the step took $((SECONDS - started)) s"
