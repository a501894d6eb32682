#!/usr/bin/env bash
# Benchmarks a far side (ssh://) on this machine: starts an sshd of its own on
# a free loopback port (its host key and authorised key in a temporary
# folder), then for many-small and few-large times, in interleaved rounds on a
# warm cache:
#   local    TandrilB comparing the two folders
#   remote   the same with the target as ssh://127.0.0.1:PORT/... (loopback)
#   rsync    rsync -rcn over the same ssh
#   delayed  remote again through a ProxyCommand that delays each direction
#            by DELAY ms (the kernel here may lack netem)
# and counts the bytes at the ssh child's pipes (PipeCount) against the
# budget of 120 per entry plus 40 per digest.
#
#   bench/remote.sh [--scale S] [--rounds N] [--delay MS] [--workload LIST]
set -euo pipefail
cd "$(dirname "$0")/.."
scale=0.2 rounds=3 delay=25 workloads="many-small few-large"
while [ $# -gt 0 ]; do
    case "$1" in
        --scale) scale=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --delay) delay=$2; shift 2 ;;
        --workload) workloads=${2//,/ }; shift 2 ;;
        *) echo "usage: bench/remote.sh [--scale S] [--rounds N] [--delay MS] [--workload LIST]" >&2; exit 2 ;;
    esac
done
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
cmake --build build/plain -j "$(nproc)" --target TandrilB TandrilGen PipeCount DelayProxy >/dev/null
bin=$PWD/build/plain
tandrilb=$bin/batch/TandrilB

work=$(mktemp -d /tmp/tandril-remote-bench-XXXXXX)
sshd_pid=
cleanup() {
    [ -n "$sshd_pid" ] && kill "$sshd_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
cp "$work/user_key.pub" "$work/authorized_keys"
[ "$(id -u)" -ne 0 ] || mkdir -p /run/sshd
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PidFile none
CONFIG
/usr/sbin/sshd -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
sshd_pid=$!
for _ in $(seq 100); do grep -q "Server listening" "$work/sshd.log" && break; sleep 0.05; done
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/host_key.pub")" > "$work/known_hosts"
user=$(id -un)
cat > "$work/ssh_config" <<CONFIG
Host *
    IdentityFile $work/user_key
    IdentitiesOnly yes
    UserKnownHostsFile $work/known_hosts
    StrictHostKeyChecking yes
    BatchMode yes
CONFIG
cp "$work/ssh_config" "$work/ssh_config_delay"
echo "    ProxyCommand $bin/bench/DelayProxy %h %p $delay" >> "$work/ssh_config_delay"
ssh_plain="ssh -F $work/ssh_config"
ssh_delay="ssh -F $work/ssh_config_delay"

now() { date +%s.%N; }
calc() { awk "BEGIN { print $* }"; }
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
# Runs a command with the environment given before it; prints its seconds.
timed() {
    local start end
    start=$(now)
    env "$@" >/dev/null 2>"$work/stderr" || { [ $? -le 1 ] || { cat "$work/stderr" >&2; exit 1; }; }
    end=$(now)
    calc "$end - $start"
}

echo "Tandril far-side benchmark: $(nproc) cores, $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "ssh: $(ssh -V 2>&1); delay $delay ms each way (round trip $((2 * delay)) ms)"
handshake_plain=$( { for _ in 1 2 3; do timed $ssh_plain -p "$port" "$user@127.0.0.1" true; done; } | median)
handshake_delay=$( { for _ in 1 2 3; do timed $ssh_delay -p "$port" "$user@127.0.0.1" true; done; } | median)
printf "ssh login alone: loopback %.3f s, delayed %.3f s\n" "$handshake_plain" "$handshake_delay"

for workload in $workloads; do
    data=bench/data/remote-$workload-$scale
    mkdir -p bench/data
    [ -f "$data/manifest.txt" ] || { rm -rf "$data"; "$bin/bench/TandrilGen" "$workload" "$data" "$scale" >/dev/null; }
    a=$(realpath "$data/A") b=$(realpath "$data/B")
    far="ssh://$user@127.0.0.1:$port$b"
    entries=$(find "$b" -mindepth 1 | wc -l)
    common=(TANDRIL_REMOTE_PROGRAM="$tandrilb" "$tandrilb" /file "$work/report.csv" /encoding utf8 /fromdir "$a" /todir)
    # Rows whose contents were compared: file pairs whose size and time agree.
    env TANDRIL_SSH="$bin/bench/PipeCount $work/counts $ssh_plain" "${common[@]}" "$far" >/dev/null || [ $? -le 1 ]
    digests=$(grep -c -e ',等価,' -e '内容が不一致' "$work/report.csv" || true)
    read -r sent received < "$work/counts"
    declare -A times=()
    for round in $(seq "$rounds"); do
        times[local]+="$(timed "${common[@]}" "$b") "
        times[remote]+="$(timed TANDRIL_SSH="$ssh_plain" "${common[@]}" "$far") "
        times[rsync]+="$(timed rsync -rcn --delete -e "$ssh_plain -p $port" "$a/" "$user@127.0.0.1:$b/") "
        times[delayed]+="$(timed TANDRIL_SSH="$ssh_delay" "${common[@]}" "$far") "
    done
    echo
    echo "== $workload (scale $scale): $entries far entries, $digests digests, median of $rounds rounds"
    declare -A med=()
    for tool in local remote rsync delayed; do
        med[$tool]=$(echo "${times[$tool]}" | tr ' ' '\n' | grep . | median)
        printf "  %-8s %8.3f s   (%s)\n" "$tool" "${med[$tool]}" "${times[$tool]}"
    done
    budget=$((120 * entries + 40 * digests))
    printf "  remote / local            %.2f  (goal <= 1.3)\n" "$(calc "${med[remote]} / ${med[local]}")"
    printf "  remote / rsync -rcn       %.2f  (goal <= 0.5)\n" "$(calc "${med[remote]} / ${med[rsync]}")"
    printf "  delayed - remote          %.3f s = %.1f round trips, ssh login's share %.1f (goal: delayed <= 1.2 x remote + 3 round trips)\n" \
        "$(calc "${med[delayed]} - ${med[remote]}")" \
        "$(calc "(${med[delayed]} - ${med[remote]}) / (2 * $delay / 1000)")" \
        "$(calc "($handshake_delay - $handshake_plain) / (2 * $delay / 1000)")"
    printf "  bytes at ssh's pipes      %d sent, %d received: %.1f per entry; budget %d (120 per entry + 40 per digest): %.2f of it\n" \
        "$sent" "$received" "$(calc "($sent + $received) / $entries")" "$budget" \
        "$(calc "($sent + $received) / $budget")"
    # Stop: SIGTERM to the near side midway; how long until it has exited
    # and until no far side serves the tree any more.
    stops=""
    for round in $(seq "$rounds"); do
        env TANDRIL_SSH="$ssh_plain" "${common[@]}" "$far" >/dev/null 2>&1 &
        near=$!
        for _ in $(seq 500); do pgrep -f -- "^[^ ]*TandrilB /serve $b" >/dev/null && break; sleep 0.01; done
        sleep 0.2
        farpids=$(pgrep -f -- "^[^ ]*TandrilB /serve $b" || true)
        start=$(now)
        if ! kill -TERM "$near" 2>/dev/null; then
            stops+="(ended before the signal) "
            continue
        fi
        wait "$near" || true
        exited=$(now)
        for pid in $farpids; do while kill -0 "$pid" 2>/dev/null; do sleep 0.001; done; done
        gone=$(now)
        stops+="$(calc "($exited - $start) * 1000")/$(calc "($gone - $start) * 1000") "
    done
    printf "  stop (SIGTERM)            near side exited / far side gone after, ms: %s\n" "$stops"
    rm -f "$work/counts"
done
