#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it as apt would see it: the files it
# installs, the packages it depends on, and the desktop entry, icons and manual page inside it.
#   deb_test.sh <build dir> <source dir>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log"
  exit 1
}
debs=("$work"/out/quenby_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAILED: no single quenby_*.deb in $(ls "$work/out")"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Every file the package installs, and nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$work/files"
sort >"$work/expected" <<'LIST'
./usr/bin/quenby
./usr/lib/quenby/quenby_office_host.so
./usr/share/applications/quenby.desktop
./usr/share/icons/hicolor/128x128/apps/quenby.png
./usr/share/icons/hicolor/16x16/apps/quenby.png
./usr/share/icons/hicolor/24x24/apps/quenby.png
./usr/share/icons/hicolor/256x256/apps/quenby.png
./usr/share/icons/hicolor/32x32/apps/quenby.png
./usr/share/icons/hicolor/48x48/apps/quenby.png
./usr/share/icons/hicolor/64x64/apps/quenby.png
./usr/share/icons/hicolor/scalable/apps/quenby.svg
./usr/share/man/man1/quenby.1.gz
./usr/share/quenby/账单明细.xls
LIST
diff -u "$work/expected" "$work/files" >"$work/files.diff" || fail "file list: $(cat "$work/files.diff")"

[ "$(dpkg-deb -f "$deb" Package)" = quenby ] || fail "package name $(dpkg-deb -f "$deb" Package)"
# The runtime: Qt 6 widgets, their window system plugins and Chinese translations, Qt SQL's
# SQLite driver, LibreOffice Calc, the Song-style font, xdg-utils.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',' '\n' <<<"$depends" | sed -E 's/^ +//; s/ .*//')
for needed in libqt6widgets6 qt6-qpa-plugins qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql libreoffice-calc fonts-arphic-uming xdg-utils; do
  grep -qx "$needed" <<<"$names" || fail "Depends lacks $needed"
done

dpkg-deb -x "$deb" "$work/root"
entry="$work/root/usr/share/applications/quenby.desktop"
desktop-file-validate "$entry" >"$work/validate.log" 2>&1 || fail "desktop entry: $(cat "$work/validate.log")"
for line in 'Type=Application' 'Name=Quenby 木材计算器' 'GenericName=木材材积计算器' \
  'Comment=原木、多材长和锯材的材积与金额计算，结果导出到账单明细表格' 'Exec=quenby' 'Icon=quenby' \
  'Terminal=false' 'Categories=Office;' 'Actions=ledger;' '[Desktop Action ledger]' 'Name=账单记录' \
  'Exec=quenby --ledger'; do
  grep -qxF "$line" "$entry" || fail "desktop entry lacks '$line'"
done
cmp -s "$work/root/usr/share/icons/hicolor/scalable/apps/quenby.svg" "$source/resources/quenby.svg" ||
  fail "the scalable icon is not resources/quenby.svg"
# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 24 32 48 64 128 256; do
  png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/quenby.png"
  [ -f "$png" ] || continue
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$width x $height" = "$size x $size" ] || fail "${size}x${size} icon is $width x $height"
done
lexgrog "$work/root/usr/share/man/man1/quenby.1.gz" | grep -qF '"quenby - ' || fail "the manual page has no NAME line for quenby"
# The office's UNO libraries live in its own program folder; the office host module, which the
# program loads when an office is first wanted, is the one that links them.
readelf -d "$work/root/usr/lib/quenby/quenby_office_host.so" | grep -q 'R.*PATH.*/usr/lib/libreoffice/program' ||
  fail "the office host module does not find the office's libraries"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "ok: package file list, Depends, desktop entry, icons and manual page"
