#!/bin/sh
# The watchdog of one private office: sh -c <this script> <name> <group> <profile>
# (or sh office_watchdog.sh <group> <profile>), its standard input a pipe whose writing end only
# the owner of the office holds. It waits for the end of that input, which comes when the owner
# finishes with the office or ends in any way, SIGKILL included. A save the owner announced
# ("@kWatchdogSaving@ <until> <inode>", until "@kWatchdogSaved@") is let finish: the office writes the
# new bill beside the old one and renames it into place, so the bill's inode changes when it is
# done. Then it ends the office (when it still runs on this profile) and removes what it leaves:
# the office's pipe sockets, the bill's lock file if this office took it or it names this profile,
# and the profile with the office's temporary folder. Run with no input, it does the same for an
# office whose owner has gone.
# (The office's own copy beside the bill is not removed here: its name does not tell it from
# another office's copy.)
# The words between at signs are names shared with the C++, filled in at build time from
# office_names.h.
trap '' HUP INT TERM
group=$1 profile=$2 record=$2/@kOwnerRecord@
case ${profile##*/} in @kProfilePrefix@*) ;; *) exit 1 ;; esac
until='' inode=''
while IFS=' ' read -r what a b; do
  case $what in
    @kWatchdogSaving@) until=$a inode=$b ;;
    @kWatchdogSaved@) until= ;;
  esac
done
office='' lock='' bill=''
if [ -f "$record" ]; then
  while IFS='=' read -r key value; do
    case $key in
      @kKeyOffice@) office=$value ;;
      @kKeyLock@) lock=$value ;;
      @kKeyBill@) bill=$value ;;
    esac
  done < "$record"
fi
if [ -n "$until" ] && [ -n "$bill" ]; then
  n=0
  while [ "$(date +%s)" -lt "$until" ] && [ "$(stat -c %i -- "$bill" 2>/dev/null)" = "$inode" ]; do
    # A save the office has not begun (no copy of its own beside the bill after a second) is
    # dropped with the connection: nothing to wait for.
    set -- "${bill%/*}"/@kSaveCopyPrefix@"$office"*@kSaveCopySuffix@
    [ -e "$1" ] || [ "$n" -lt 20 ] || break
    n=$((n + 1))
    sleep 0.05
  done
fi
sockets=
if [ -n "$group" ] && grep -qaF -- "$profile" "/proc/$group/cmdline" 2>/dev/null; then
  # Held still first: the pipe sockets its processes listen on are noted before they go, also
  # those made before the owner could record them.
  kill -s STOP -- "-$group" 2>/dev/null
  inodes=$(for dir in /proc/[0-9]*; do
    read -r stat < "$dir/stat" 2>/dev/null || continue
    # shellcheck disable=SC2086 # the fields after the command name, split on spaces: no patterns
    set -- ${stat##*") "}
    [ "$3" = "$group" ] && ls -l "$dir/fd" 2>/dev/null
  done | sed -n 's/.*socket:\[\([0-9]*\)\].*/\1/p')
  # shellcheck disable=SC2086,SC2116 # the lines of inode numbers joined into one, between spaces
  inodes=" $(echo $inodes) "
  # Num RefCount Protocol Flags Type St Inode Path
  while read -r _ _ _ _ _ _ inode path; do
    case $inodes in *" $inode "*) sockets="$sockets $path" ;; esac
  done < /proc/net/unix
  kill -s KILL -- "-$group" 2>/dev/null
fi
if [ -n "$office" ] && grep -qaF -- "$profile" "/proc/$office/cmdline" 2>/dev/null; then
  kill -s KILL "$office" 2>/dev/null
fi
n=0
while [ -n "$office" ] && [ -d "/proc/$office" ] && [ "$n" -lt 100 ]; do sleep 0.02; n=$((n + 1)); done
if [ -f "$record" ]; then
  while IFS='=' read -r key value; do
    [ "$key" = @kKeySocket@ ] || continue
    case ${value##*/} in @kPipeSocketPrefix@*) rm -f -- "$value" ;; esac
  done < "$record"
fi
set -f
for path in $sockets; do
  case ${path##*/} in @kPipeSocketPrefix@*) rm -f -- "$path" ;; esac
done
set +f
if [ -n "$lock" ] && [ -e "$lock" ]; then
  if grep -qaF -- "/${profile##*/};" "$lock" 2>/dev/null || ! grep -qa ';' "$lock" 2>/dev/null; then
    rm -f -- "$lock"
  fi
elif [ -n "$bill" ]; then
  # Ended while it opened the bill, the office may have locked it before the owner could note the
  # lock: a lock naming this profile is ours all the same.
  lock="${bill%/*}/@kLockPrefix@${bill##*/}@kLockSuffix@"
  if grep -qaF -- "/${profile##*/};" "$lock" 2>/dev/null; then rm -f -- "$lock"; fi
fi
rm -rf -- "$profile"
