#!/bin/sh
# The watchdog of one private office: sh -c <this script> <name> <group> <started> <profile>
# (or sh office_watchdog.sh <group> <started> <profile>), its standard input a pipe whose writing
# end only the owner of the office holds. <group> is the office's process group and <started> the
# start time of its leader (field 22 of /proc/<pid>/stat); soffice.bin's number and start time
# are in the owner record. The office is known by these alone, never by the text of a command
# line (the office holds its profile's path URL-encoded there). It waits for the end of that
# input, which comes when the owner finishes with the office or ends in any way, SIGKILL
# included. A save the owner announced ("@kWatchdogSaving@ <until> <inode>", until
# "@kWatchdogSaved@") is let finish: the office writes the new bill beside the old one and renames
# it into place, so the bill's inode changes when it is done. Then it ends the office (when its
# leader, or soffice.bin in its group, is still the process that started then) and removes what it
# leaves, and only what is the user's own: the pipe sockets of ours (@kPipeSocketPrefix@...) the
# office's group listened on or the record lists, the bill's lock file when it is a file of ours
# that names this profile (or the very file the office took, cut short by a save), and the profile
# with the office's temporary folder. Run with no input, it does the same for an office whose owner
# has gone.
# The owner record is read strictly (its form is described in office_names.h): a record with a
# line of any other form lends nothing to the clean-up.
# (The office's own copy beside the bill is not removed here: its name does not tell it from
# another office's copy.)
# The words between at signs are names shared with the C++, filled in at build time from
# office_names.h.
trap '' HUP INT TERM
group=$1 started=$2 profile=$3 record=$3/@kOwnerRecord@
case ${profile##*/} in @kProfilePrefix@*) ;; *) exit 1 ;; esac
uid=$(id -u)
nl='
'

# Whether the file $1, not followed when it is a link, belongs to us.
owned() {
  [ "$(stat -c %u -- "$1" 2>/dev/null)" = "$uid" ]
}

# Sets $p_state, $p_group and $p_started to fields 3, 5 and 22 of /proc/$1/stat; fails when there
# is no such process.
look_at() {
  p_state='' p_group='' p_started=''
  case $1 in '' | *[!0-9]*) return 1 ;; esac
  read -r stat 2>/dev/null < "/proc/$1/stat" || return 1
  # shellcheck disable=SC2086 # the fields after the command name (which may hold anything), split on spaces: no patterns
  set -- ${stat##*") "}
  p_state=$1 p_group=$3 p_started=${20}
}

# Sets $decoded to $2 with each %XX turned into its byte (never a NUL). In mode "record" every other
# character must be one an owner record keeps as it is; in mode "lock" any other character stands
# for itself, but a backslash for the character after it, as LibreOffice escapes the fields of its
# lock files. Fails on anything else. (printf's %b turns the \0ooo escapes made here into bytes.)
decode() {
  mode=$1 rest=$2 out=''
  while [ -n "$rest" ]; do
    tail=${rest#?}
    char=${rest%"$tail"}
    case $rest in
      %[0-9A-Fa-f][0-9A-Fa-f]*)
        rest=${tail#??}
        hex=${tail%"$rest"}
        case $mode$hex in record*[a-f]*) return 1 ;; esac
        byte=$((0x$hex))
        [ "$byte" -ne 0 ] || return 1
        char="\\0$((byte / 64))$((byte / 8 % 8))$((byte % 8))"
        ;;
      %* | \\) return 1 ;;
      \\?*)
        [ "$mode" = lock ] || return 1
        rest=${tail#?}
        char=${tail%"$rest"}
        [ "$char" != "\\" ] || char='\0134'
        ;;
      [ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._~-]*) rest=$tail ;;
      *)
        [ "$mode" = lock ] || return 1
        rest=$tail
        ;;
    esac
    out=$out$char
  done
  decoded=$(printf '%b.' "$out") && decoded=${decoded%.}
}

# Whether the lock file $1 names this profile: it ends in ",file://<profile>;" once LibreOffice's
# escapes and the URL's are undone.
names_profile() {
  text=''
  IFS= read -r text 2>/dev/null < "$1"
  case $text in *';') ;; *) return 1 ;; esac
  decode lock "$text" || return 1
  case $decoded in *",file://$profile;") return 0 ;; esac
  return 1
}

until='' inode=''
while IFS=' ' read -r what a b; do
  case $what in
    @kWatchdogSaving@) until=$a inode=$b ;;
    @kWatchdogSaved@) until= ;;
  esac
done

# The owner record, when the profile and the record are ours and every line is well formed.
office='' office_started='' bill='' lock='' lock_id='' sockets=''
if [ -d "$profile" ] && [ ! -L "$profile" ] && owned "$profile" &&
  [ -f "$record" ] && [ ! -L "$record" ] && owned "$record"; then
  valid=yes seen=' '
  while :; do
    line=''
    if ! IFS= read -r line; then
      [ -z "$line" ] || valid=''
      break
    fi
    case $line in *=*) ;; *) valid='' && break ;; esac
    key=${line%%=*}
    decode record "${line#*=}" || { valid='' && break; }
    case $seen in *" $key "*) valid='' && break ;; esac
    [ "$key" = @kKeySocket@ ] || seen="$seen$key "
    case $key in
      @kKeyOwner@ | @kKeyStarted@ | @kKeyHost@ | @kKeyGroup@ | @kKeyGroupStarted@) ;;
      @kKeyOffice@) office=$decoded ;;
      @kKeyOfficeStarted@) office_started=$decoded ;;
      @kKeyBill@) bill=$decoded ;;
      @kKeyLock@) lock=$decoded ;;
      @kKeyLockId@) lock_id=$decoded ;;
      @kKeySocket@) sockets="$sockets$decoded$nl" ;;
      *) valid='' && break ;;
    esac
  done < "$record"
  [ -n "$valid" ] || office='' office_started='' bill='' lock='' lock_id='' sockets=''
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

# The office's group is ours while its leader is the process that started then, or, the leader
# gone, while soffice.bin is and still belongs to the group.
ours=''
if look_at "$group" && [ "$p_group" = "$group" ] && [ "$p_started" = "$started" ]; then
  ours=yes
elif [ -n "$group" ] && look_at "$office" && [ "$p_group" = "$group" ] && [ "$p_started" = "$office_started" ]; then
  ours=yes
fi
listened=''
if [ -n "$ours" ]; then
  # Held still first: the pipe sockets its processes listen on are noted before they go, also
  # those made before the owner could record them.
  kill -s STOP -- "-$group" 2>/dev/null
  inodes=$(for dir in /proc/[0-9]*; do
    look_at "${dir#/proc/}" && [ "$p_group" = "$group" ] && ls -l "$dir/fd" 2>/dev/null
  done | sed -n 's/.*socket:\[\([0-9]*\)\].*/\1/p')
  # shellcheck disable=SC2086,SC2116 # the lines of inode numbers joined into one, between spaces
  inodes=" $(echo $inodes) "
  # Num RefCount Protocol Flags Type St Inode Path
  while read -r _ _ _ _ _ _ inode path; do
    case $inodes in *" $inode "*) listened="$listened$path$nl" ;; esac
  done < /proc/net/unix
  kill -s KILL -- "-$group" 2>/dev/null
fi
if look_at "$office" && [ "$p_started" = "$office_started" ]; then
  kill -s KILL "$office" 2>/dev/null
  n=0
  while look_at "$office" && [ "$p_started" = "$office_started" ] && [ "$p_state" != Z ] && [ "$n" -lt 100 ]; do
    sleep 0.02
    n=$((n + 1))
  done
fi

IFS=$nl
set -f
for path in $sockets$listened; do
  case ${path##*/} in @kPipeSocketPrefix@*) ;; *) continue ;; esac
  if [ -S "$path" ] && [ ! -L "$path" ] && owned "$path"; then rm -f -- "$path"; fi
done
set +f
unset IFS

if [ -n "$bill" ]; then
  # Only the bill's own lock file, and only when it is ours: naming this profile, or, at the path the
  # office took (the owner noted it), holding no complete entry: the very file it took cut short,
  # or an empty one, which a save ended in its middle leaves (the office writes its lock anew then).
  bill_lock="${bill%/*}/@kLockPrefix@${bill##*/}@kLockSuffix@"
  if [ -f "$bill_lock" ] && [ ! -L "$bill_lock" ] && owned "$bill_lock"; then
    if names_profile "$bill_lock"; then
      rm -f -- "$bill_lock"
    elif [ "$lock" = "$bill_lock" ] && [ -n "$lock_id" ] && ! grep -qa ';' -- "$bill_lock" &&
      { [ ! -s "$bill_lock" ] || [ "$(stat -c %d:%i -- "$bill_lock" 2>/dev/null)" = "$lock_id" ]; }; then
      rm -f -- "$bill_lock"
    fi
  fi
fi
if [ -d "$profile" ] && [ ! -L "$profile" ] && owned "$profile"; then rm -rf -- "$profile"; fi
