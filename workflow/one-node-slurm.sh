#!/usr/bin/env bash
# A SLURM cluster of one node on this machine, to try the workflow's SLURM
# profile without a real cluster (and for its test):
#
#   sudo workflow/one-node-slurm.sh start DIR [PORT]
#   export SLURM_CONF=DIR/slurm.conf
#   snakemake -s workflow/Snakefile --profile workflow/profiles/slurm --config runs=... results=...
#   sudo workflow/one-node-slurm.sh stop DIR
#
# Everything lives in DIR (configuration, munge key and socket, state, logs,
# pid files): nothing of the machine's own SLURM or munge set-up is used or
# changed. The controller listens on 127.0.0.1:PORT (default 6817), the node
# daemon on PORT+1. Jobs that ended are listed in DIR/log/jobcomp.log, one
# line each. Needs Debian's slurmctld, slurmd, slurm-client and munge, and
# root: slurmd starts every job as the user who submitted it.
set -euo pipefail

usage() {
    echo "usage: $0 start DIR [PORT] | stop DIR" >&2
    exit 2
}

# The daemons, in the order they start; they stop in the reverse order.
daemons=(munged slurmctld slurmd)

pid_file() {  # pid_file DIR DAEMON
    echo "$1/run/$2.pid"
}

# The pid of DAEMON from its pid file, when that process is alive and is the
# daemon (a pid file outliving its process may name another process by now).
live_pid() {  # live_pid DIR DAEMON
    local file pid state
    file=$(pid_file "$1" "$2")
    [ -s "$file" ] || return 1
    pid=$(<"$file")
    [[ $pid =~ ^[0-9]+$ ]] || return 1
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$2" ] || return 1
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) || return 1
    [ "$state" != Z ] || return 1
    echo "$pid"
}

stop_daemon() {  # stop_daemon DIR DAEMON
    local pid
    pid=$(live_pid "$1" "$2") || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for _ in $(seq 100); do
        live_pid "$1" "$2" >/dev/null || return 0
        sleep 0.1
    done
    echo "$2 (pid $pid) did not stop within 10 s: killing it" >&2
    kill -KILL "$pid" 2>/dev/null || true
}

stop() {  # stop DIR
    local dir=$1
    if live_pid "$dir" slurmctld >/dev/null; then
        # Jobs still running would outlive slurmd in their step daemons.
        export SLURM_CONF=$dir/slurm.conf
        local jobs
        jobs=$(squeue -h -o %i 2>/dev/null || true)
        if [ -n "$jobs" ]; then
            # shellcheck disable=SC2086
            scancel $jobs 2>/dev/null || true
            for _ in $(seq 100); do
                [ -z "$(squeue -h -o %i 2>/dev/null || true)" ] && break
                sleep 0.1
            done
        fi
    fi
    local i
    for ((i = ${#daemons[@]} - 1; i >= 0; i--)); do
        stop_daemon "$dir" "${daemons[i]}"
    done
}

write_configuration() {  # write_configuration DIR PORT
    local dir=$1 port=$2 cpus memory real per_cpu
    cpus=$(nproc)
    memory=$(awk '/^MemTotal:/ {print int($2 / 1024)}' /proc/meminfo)
    # A node that reports less memory than configured is drained.
    real=$((memory * 95 / 100))
    # Without a default, a job that asks for no memory takes the whole node.
    per_cpu=$((real / cpus < 1000 ? real / cpus : 1000))
    cat >"$dir/slurm.conf" <<EOF
# A one-node cluster made by $0.
ClusterName=quarrow
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$dir/munge/munge.socket
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$(pid_file "$dir" slurmctld)
SlurmdPidFile=$(pid_file "$dir" slurmd)
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
# No cgroups and no accounting database on such a machine.
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
JobCompType=jobcomp/filetxt
JobCompLoc=$dir/log/jobcomp.log
# Without sacct, Snakemake asks scontrol, which forgets a job MinJobAge
# seconds after it ended.
MinJobAge=600
MailProg=/bin/true
ReturnToService=2
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
DefMemPerCPU=$per_cpu
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$real State=UNKNOWN
PartitionName=local Nodes=localhost Default=YES MaxTime=INFINITE State=UP
EOF
}

start() {  # start DIR PORT
    local dir=$1 port=$2
    [ "$(id -u)" -eq 0 ] || { echo "$0: start needs root (slurmd starts jobs as their users); try sudo" >&2; exit 1; }
    export PATH=$PATH:/usr/sbin
    local program
    for program in munged mungekey slurmctld slurmd sinfo squeue scancel; do
        command -v "$program" >/dev/null || {
            echo "$0: $program is missing: apt-get install slurmctld slurmd slurm-client munge" >&2
            exit 1
        }
    done
    local daemon
    for daemon in "${daemons[@]}"; do
        if live_pid "$dir" "$daemon" >/dev/null; then
            echo "$0: $daemon is running already in $dir (stop it first)" >&2
            exit 1
        fi
    done
    local used
    for used in "$port" $((port + 1)); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$used") 2>/dev/null; then
            echo "$0: port $used of 127.0.0.1 is in use: name another PORT" >&2
            exit 1
        fi
    done
    # munged wants its socket's folders open to all, its key readable by itself only.
    local above=$dir
    while [ "$above" != / ]; do
        above=$(dirname "$above")
        [ "$(($(stat -c %a "$above") % 2))" -eq 1 ] || {
            echo "$0: munged needs every folder above $dir open to all: $above is not (chmod o+x $above)" >&2
            exit 1
        }
    done
    mkdir -p "$dir"/{munge,key,state,spool,log,run}
    rm -f "$dir"/run/*.pid
    chmod 755 "$dir" "$dir/munge"
    chmod 700 "$dir/key"
    [ -s "$dir/key/munge.key" ] || mungekey --create --keyfile="$dir/key/munge.key"
    write_configuration "$dir" "$port"
    export SLURM_CONF=$dir/slurm.conf

    failed() {
        echo "$0: $1; the logs are in $dir/log" >&2
        tail -n 5 "$dir"/log/*.log >&2 || true
        stop "$dir"
        exit 1
    }
    munged --socket="$dir/munge/munge.socket" --key-file="$dir/key/munge.key" --log-file="$dir/log/munged.log" \
        --pid-file="$(pid_file "$dir" munged)" --seed-file="$dir/key/munged.seed" || failed "munged did not start"
    slurmctld -f "$SLURM_CONF" || failed "slurmctld did not start"
    slurmd -N localhost -f "$SLURM_CONF" || failed "slurmd did not start"
    local state=
    for _ in $(seq 300); do
        state=$(sinfo -h -o %t 2>/dev/null || true)
        [ "$state" = idle ] && break
        # A daemon that wrote its pid file and is gone has failed.
        for daemon in "${daemons[@]}"; do
            [ ! -s "$(pid_file "$dir" "$daemon")" ] || live_pid "$dir" "$daemon" >/dev/null ||
                failed "$daemon stopped"
        done
        sleep 0.1
    done
    [ "$state" = idle ] || failed "the node is not ready after 30 s (state '${state:-unknown}')"
    echo "One-node SLURM cluster ready in $dir (controller on 127.0.0.1:$port). Use it with:"
    # Snakemake's SLURM executor asks for USER, which sudo, cron and
    # containers may leave unset; the user's shell fills it in.
    echo "  export SLURM_CONF=$dir/slurm.conf USER=\$(id -un)"
}

[ $# -ge 2 ] || usage
case "$1" in
    start)
        [ $# -le 3 ] || usage
        port=${3:-6817}
        if ! [[ $port =~ ^[0-9]{4,5}$ ]] || [ "$port" -lt 1024 ] || [ "$port" -gt 65534 ]; then usage; fi
        mkdir -p "$2"
        start "$(cd "$2" && pwd)" "$port"
        ;;
    stop)
        [ $# -eq 2 ] || usage
        [ -d "$2" ] || { echo "$0: no folder $2" >&2; exit 1; }
        stop "$(cd "$2" && pwd)"
        ;;
    *) usage ;;
esac
