#!/usr/bin/env bash
# Runs the README's two commands, `bash scripts/run.sh` then
# `bash scripts/test.sh`, on a minimal Debian 12 made for the purpose: a
# `debootstrap --variant=minbase bookworm` chroot with git and ca-certificates
# and nothing else, holding a clone of this checkout's committed HEAD. It
# prints how long each command took and, when one fails, which one and the
# end of its output.
#
# Run it whenever a dependency, the build or an install step changes. Our own
# machines came with many development packages already installed, so a green
# test run there says nothing about what a new user's machine lacks; this
# check is the one that does. It needs root, the package mirror and tens of
# minutes, so it is not part of the test command.
#
#   bash scripts/check-fresh-machine.sh [--keep]
#
# The base system comes from this machine's own package mirror (read from
# apt's sources) and is cached in /var/cache/morvella-fresh-machine between
# runs (delete that folder for a newer one); each run unpacks a fresh copy
# under /var/tmp and removes it at the end (--keep leaves it there,
# unmounted, for a look inside). The full output of each command is kept in
# a log folder whose path is printed; Ctrl+C stops the check and removes the
# rest of what it made. Each step has a time limit;
# MORVELLA_FRESH_DEBOOTSTRAP_TIMEOUT, MORVELLA_FRESH_RUN_TIMEOUT and
# MORVELLA_FRESH_TEST_TIMEOUT (seconds) change them.

# One block, read whole before any of it runs: bash reads a script as it
# goes, and the checkout may change under a run this long.
{
set -euo pipefail

if [ "$(id -u)" -ne 0 ]; then
  echo "check-fresh-machine: run as root (it uses debootstrap, chroot and mount)" >&2
  exit 1
fi
keep=0
case "${1:-}" in
  --keep) keep=1 ;;
  "") ;;
  *) echo "usage: check-fresh-machine.sh [--keep]" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
sha=$(git -C "$root" rev-parse --verify HEAD)

# Every mount below is made in a private mount namespace: none can leak to the
# host, and all of them go when the last process of the check ends, whatever
# way it ends.
if [ -z "${MORVELLA_FRESH_NAMESPACE:-}" ]; then
  exec env MORVELLA_FRESH_NAMESPACE=1 unshare --mount --propagation private -- bash "$0" "$@"
fi

cache=/var/cache/morvella-fresh-machine
suite=bookworm
include=git,ca-certificates
# Seconds each step may take before it counts as hung. The commands build
# everything from nothing on a machine that may be shared, hence the margins.
debootstrap_timeout=${MORVELLA_FRESH_DEBOOTSTRAP_TIMEOUT:-1800}
run_timeout=${MORVELLA_FRESH_RUN_TIMEOUT:-3600}
test_timeout=${MORVELLA_FRESH_TEST_TIMEOUT:-7200}

log() { echo "check-fresh-machine: $*"; }
fail() { echo "check-fresh-machine: $*" >&2; exit 1; }
duration() { printf '%dm%02ds' $(($1 / 60)) $(($1 % 60)); }

# Folders this run made and removes at its end, whatever way it ends; the
# process of the step running now.
staging="" work="" logs="" chroot_dir="" step="" base=""
mounted=()
# The terminal, for the messages of a cleanup that may start inside a step
# whose output goes to a log.
exec 3>&1 4>&2

# limited SECONDS COMMAND...: COMMAND with a time limit, stoppable by Ctrl+C.
# timeout puts COMMAND in a process group of its own, which the terminal's
# Ctrl+C does not reach, and bash runs no trap until the command it waits for
# has ended: a step run in the foreground would go on for as long as it takes,
# Ctrl+C or not. A background step the shell waits for can be stopped.
limited() {
  local limit=$1 status=0; shift
  timeout -k 30 "$limit" "$@" &
  step=$!
  wait "$step" || status=$?
  step=""
  return "$status"
}

# Removes a folder this run made, unless something is still mounted in it:
# the host's /dev, say, is bound into the machine, and removing through it
# would remove the host's own files.
remove_tree() {
  if findmnt -rn -o TARGET | grep -qF "$1/"; then
    echo "check-fresh-machine: something is still mounted under $1; left in place" >&2
    return 1
  fi
  rm -rf --one-file-system "$1"
}

# --- the mirror, from apt's sources ---------------------------------------
sources=$("$root/scripts/apt-sources.sh")
# A machine may also take packages for the same release from others' archives
# (a container engine's, say, named before Debian's in sources.list.d); the
# base system must come from Debian's own. apt knows which archive is which
# from its last update; without that, the first source of the suite is taken.
# shellcheck disable=SC2016  # apt's own $(FIELD) placeholders
debian_archives=$(apt-get indextargets --format '$(ORIGIN) $(SITE) $(RELEASE)' 2>/dev/null |
  awk '$1 == "Debian" { sub(/\/$/, "", $2); print $2, $3 }' | sort -u || true)
source_of() {  # source_of SUITE
  awk -v s="$1" -v known="$debian_archives" '
    BEGIN { n = split(known, k, "\n"); for (i = 1; i <= n; i++) debian[k[i]] = 1 }
    $2 != s { next }
    { u = $1; sub(/\/$/, "", u) }
    first == "" { first = $1 }
    (u " " s) in debian { print $1; found = 1; exit }
    END { if (!found && first != "") print first }' <<<"$sources"
}
# Debian's cloud images name a file listing mirrors (mirror+file:///...)
# where debootstrap takes one URI: the first of the list.
one_mirror() {  # one_mirror URI
  case "$1" in
    mirror+file:*) sed -n -e 's/#.*//' -e 's/[[:space:]].*//' -e '/:\/\//{p;q}' "/${1#mirror+file:}" ;;
    *) printf '%s\n' "$1" ;;
  esac
}
mirror=$(source_of "$suite")
security=$(source_of "$suite-security")
[ -z "$mirror" ] || mirror=$(one_mirror "$mirror")
[ -z "$security" ] || security=$(one_mirror "$security")
[ -n "$mirror" ] || fail "no Debian '$suite' source in this machine's apt sources to take the mirror from"
log "mirror $mirror${security:+, security updates from $security}"

chroot_processes() {  # every process whose root is the fresh machine
  local p
  [ -n "$chroot_dir" ] || return 0
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$chroot_dir" ] && echo "${p#/proc/}"
  done
  return 0
}

# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  local status=$? pids i
  set +e
  exec 1>&3 2>&4
  if [ -n "$step" ]; then
    kill -TERM "$step" 2>/dev/null
    wait "$step" 2>/dev/null
  fi
  # Servers the commands leave behind (an Xvfb, a wineserver) would keep the
  # mounts busy.
  for i in 1 2 3; do
    pids=$(chroot_processes)
    [ -z "$pids" ] && break
    # shellcheck disable=SC2086
    kill -TERM $pids 2>/dev/null
    sleep 2
  done
  pids=$(chroot_processes)
  # shellcheck disable=SC2086
  [ -n "$pids" ] && kill -KILL $pids 2>/dev/null && sleep 1
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  # An interrupted base-system build leaves no half-written archive behind.
  [ -n "$staging" ] && remove_tree "$staging" && rm -f "$base.partial"
  if [ -n "$work" ]; then
    if [ "$keep" -eq 1 ]; then
      echo "check-fresh-machine: the machine is kept in $chroot_dir"
    else
      remove_tree "$work"
    fi
  fi
  [ -n "$logs" ] && echo "check-fresh-machine: logs in $logs"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# apt's proxy, for debootstrap's downloads and the machine's apt: a user
# behind one has it in apt's configuration, where neither would look.
http_proxy=${http_proxy:-} https_proxy=${https_proxy:-}
eval "$(apt-config shell apt_http_proxy Acquire::http::Proxy apt_https_proxy Acquire::https::Proxy)"
case "${apt_http_proxy:-}" in http://* | https://*) http_proxy=$apt_http_proxy ;; esac
case "${apt_https_proxy:-}" in http://* | https://*) https_proxy=$apt_https_proxy ;; esac
export http_proxy https_proxy
[ -z "$http_proxy$https_proxy" ] || log "through the proxy ${http_proxy:-$https_proxy}"

# --- debootstrap on the host -----------------------------------------------
if ! command -v debootstrap >/dev/null 2>&1; then
  log "installing debootstrap"
  limited 300 apt-get update -qq
  limited 600 env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi

# --- the base system, cached --------------------------------------------------
# The cache is named for what went into it, so a changed mirror or package
# list makes a new one.
mkdir -p "$cache"
key=$(printf '%s\n' "$suite" minbase "$include" "$mirror" "$security" | sha256sum | cut -c1-12)
base="$cache/$suite-minbase-$key.tar"
exec 8>"$cache/lock"
flock -w 3600 8 || fail "another check holds $cache/lock"
if [ ! -f "$base" ]; then
  log "making the base system ($suite, minbase, with $include); later runs reuse it"
  staging=$(mktemp -d /var/tmp/morvella-debootstrap.XXXXXX)
  if ! limited "$debootstrap_timeout" debootstrap --variant=minbase --include="$include" \
        "$suite" "$staging" "$mirror" >"$cache/debootstrap.log" 2>&1; then
    tail -n 30 "$cache/debootstrap.log" >&2
    fail "debootstrap failed (log: $cache/debootstrap.log)"
  fi
  # The sources of a freshly installed Debian: the release and its updates
  # from the mirror, security updates from their own archive.
  rm -f "$staging/etc/apt/sources.list"
  {
    printf 'Types: deb\nURIs: %s\nSuites: %s %s-updates\nComponents: main\n' "$mirror" "$suite" "$suite"
    printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
    if [ -n "$security" ]; then
      printf '\nTypes: deb\nURIs: %s\nSuites: %s-security\nComponents: main\n' "$security" "$suite"
      printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
    fi
  } >"$staging/etc/apt/sources.list.d/debian.sources"
  rm -f "$staging"/var/cache/apt/archives/*.deb
  chmod 755 "$staging"
  limited 600 tar -C "$staging" --one-file-system -cf "$base.partial" .
  mv "$base.partial" "$base"
  remove_tree "$staging"
  staging=""
fi
flock -u 8
exec 8>&-

# --- a fresh machine from the cache -----------------------------------------
work=$(mktemp -d /var/tmp/morvella-fresh.XXXXXX)
logs=$(mktemp -d /var/tmp/morvella-fresh-logs.XXXXXX)
chroot_dir="$work/root"
mkdir -p "$chroot_dir"
limited 600 tar -C "$chroot_dir" -xf "$base"
# The root folder of a real machine: mktemp made it private, and apt's
# download user, for one, must get through it.
chmod 755 "$chroot_dir"

mount_in() {  # mount_in TARGET MOUNT-ARGS...
  local target="$chroot_dir$1"; shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs -o mode=1777,nosuid,nodev shm
# Name resolution as the host has it, as the machine's own network set-up
# would give it.
cp -L /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
if [ -n "$http_proxy$https_proxy" ]; then
  {
    [ -z "$http_proxy" ] || printf 'Acquire::http::Proxy "%s";\n' "$http_proxy"
    [ -z "$https_proxy" ] || printf 'Acquire::https::Proxy "%s";\n' "$https_proxy"
  } >"$chroot_dir/etc/apt/apt.conf.d/01proxy"
fi

# The clone holds the committed HEAD only: what a user would get.
limited 300 git -C "$root" bundle create -q "$work/head.bundle" HEAD
limited 300 git clone -q --no-checkout "$work/head.bundle" "$chroot_dir/root/morvella"
git -C "$chroot_dir/root/morvella" checkout -q -B check "$sha"
rm -f "$work/head.bundle"
log "cloned $(git -C "$root" log -1 --format='%h %s' "$sha")"

# --- the README's two commands ----------------------------------------------
# A root login shell's environment, nothing of this one (no DISPLAY: the run
# command must find no display and use a private one). The commands run
# niced, since the machine may be shared.
run_readme_command() {  # run_readme_command NAME TIMEOUT COMMAND
  local name=$1 limit=$2 command=$3 start status elapsed left
  log "$command ..."
  start=$(date +%s)
  status=0
  limited "$limit" nice -n 10 chroot "$chroot_dir" env -i HOME=/root USER=root LOGNAME=root \
    SHELL=/bin/bash TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /root/morvella && $command" </dev/null >"$logs/$name.log" 2>&1 || status=$?
  elapsed=$(($(date +%s) - start))
  # A command that leaves a server running behind it would keep a user's
  # machine busy after it said it was done.
  left=$(chroot_processes | while read -r p; do cat "/proc/$p/comm" 2>/dev/null; done | sort | uniq -c | xargs)
  [ -n "$left" ] && echo "check-fresh-machine: warning: still running after $command: $left" >&2
  if [ "$status" -eq 0 ]; then
    log "$command passed in $(duration "$elapsed")"
    return 0
  fi
  # 137 is also a command the kernel killed for want of memory, well within
  # its time.
  if [ "$status" -eq 124 ] || { [ "$status" -eq 137 ] && [ "$elapsed" -ge "$limit" ]; }; then
    echo "check-fresh-machine: $command did not end within $(duration "$limit"); killed" >&2
  else
    echo "check-fresh-machine: $command FAILED (exit $status) after $(duration "$elapsed")" >&2
  fi
  echo "--- the last 60 lines of its output ($logs/$name.log):" >&2
  tail -n 60 "$logs/$name.log" >&2
  return 1
}

run_readme_command run "$run_timeout" "bash scripts/run.sh"
run_readme_command test "$test_timeout" "bash scripts/test.sh"
log "both README commands pass on a fresh Debian 12"
exit 0
}
