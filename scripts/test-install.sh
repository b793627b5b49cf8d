#!/usr/bin/env bash
# The game installed as a player gets it (run by ctest).
#
#   test-install.sh player  BUILD   make install into a staging folder, made
#       read-only, and the installed game run headless by a player with a
#       fresh home: the player's files in ~/.local/share/meridane-zeta, a kept
#       replay found by the next start, korvo-config on the same files, the
#       single-copy lock there, the score name asked on a terminal, an unpacked
#       folder that cannot be written, no folder at all; then make uninstall.
#   test-install.sh package BUILD   make deb: its control fields, its files,
#       lintian.
#
# As root (CI) the player's runs drop to the user nobody, for whom a read-only
# folder really cannot be written.
set -euo pipefail
MODE=$1
SRC=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$2" && pwd)
# The recipes run beside ctest, not under the make that started it.
unset MAKEFLAGS MFLAGS MAKELEVEL

# Everything made here must be readable by that other user.
umask 022
T=$(mktemp -d /tmp/mz-install.XXXXXX)
chmod 755 "$T"
trap 'chmod -R u+w "$T" 2>/dev/null || true; rm -rf "$T"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

APP_ID=org.meridanezeta.MeridaneZeta
# Everything an install puts under its prefix; the package has its programs in
# games/ instead of bin/.
installed_files() {
  local bin=$1
  local libdir
  libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$BUILD/CMakeCache.txt")
  printf '%s\n' \
    "$bin/korvo" "$bin/korvo-config" "${libdir:-lib}/meridane-zeta/mz-video.so" \
    share/applications/$APP_ID.Settings.desktop share/applications/$APP_ID.desktop \
    share/doc/meridane-zeta/README.md share/doc/meridane-zeta/changelog.gz share/doc/meridane-zeta/copyright \
    share/man/man6/korvo-config.6.gz share/man/man6/korvo.6.gz \
    share/meridane-zeta/data.dll \
    share/meridane-zeta/screenshots/barrage.png share/meridane-zeta/screenshots/boss.png \
    share/meridane-zeta/screenshots/title.png \
    share/metainfo/$APP_ID.metainfo.xml
  for size in 16 22 24 32 48 64 128 256; do
    echo "share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
  done
}
expect_same_list() {  # what, expected file, actual file
  if ! diff <(LC_ALL=C sort "$2") <(LC_ALL=C sort "$3") >"$T/diff"; then
    cat "$T/diff" >&2
    fail "$1 differs from the expected list (< expected, > found)"
  fi
}

package() {
  step "make deb BUILD=$BUILD"
  make -s -C "$SRC" deb BUILD="$BUILD" >"$T/deb.log" 2>&1 || { cat "$T/deb.log" >&2; fail "make deb"; }
  local arch version deb
  arch=$(dpkg --print-architecture)
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
  deb=$BUILD/package/meridane-zeta_${version}_${arch}.deb
  [ -f "$deb" ] || fail "no package $deb"

  step "control fields"
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = meridane-zeta ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
  [ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
  [ "$(field Section)" = games ] || fail "Section: $(field Section)"
  depends=$(field Depends)
  echo "Depends: $depends"
  # Read from the libraries the programs link, and the font the game draws with.
  for dep in libc6 libstdc++6 libsdl2-2.0-0 libpng16-16 libvorbis0a libxxhash0 libmd0 fonts-ipafont-gothic; do
    tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$dep" || fail "Depends lacks $dep"
  done

  step "files"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' >"$T/found"
  installed_files games >"$T/expected"
  expect_same_list "The package's file list" "$T/expected" "$T/found"
  dpkg-deb -c "$deb" | awk '$2 != "root/root" { bad = 1; print } END { exit bad }' >&2 || fail "files not owned by root"

  step "lintian"
  # Errors fail; the warnings and notes left are printed for the log.
  rc=0
  lintian --fail-on error -I "$deb" >"$T/lintian" 2>&1 || rc=$?
  grep -v 'running with root privileges' "$T/lintian" || true
  [ "$rc" -eq 0 ] || fail "lintian ended with $rc"
  echo "package: ok ($(basename "$deb"))"
}

# Runs a command as the player: the user nobody when this is root, with a
# clean environment (no display) and the given home.
as_player() {
  local home=$1; shift
  local cmd=(env -i PATH=/usr/bin:/bin HOME="$home" "$@")
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups -- "${cmd[@]}"
  else
    "${cmd[@]}"
  fi
}
new_home() {
  mkdir -p "$1"
  [ "$(id -u)" -ne 0 ] || chown 65534:65534 "$1"
}
scene() { cat "$1/.local/share/meridane-zeta/log/scene.txt"; }

player() {
  local stage=$T/stage record=$T/installed.txt
  # A file of another program where the desktop entries go: uninstall leaves it.
  mkdir -p "$stage/usr/share/applications"
  echo other >"$stage/usr/share/applications/other.desktop"

  step "make install DESTDIR=... PREFIX=/usr"
  make -s -C "$SRC" install BUILD="$BUILD" DESTDIR="$stage" PREFIX=/usr INSTALL_RECORD="$record" \
    >"$T/install.log" 2>&1 || { cat "$T/install.log" >&2; fail "make install"; }
  (cd "$stage/usr" && find . -type f ! -name other.desktop | sed 's|^\./||') >"$T/found"
  installed_files bin >"$T/expected"
  expect_same_list "The installed files" "$T/expected" "$T/found"

  step "desktop entries, metainfo, man pages"
  desktop-file-validate "$stage/usr/share/applications/$APP_ID.desktop" \
    "$stage/usr/share/applications/$APP_ID.Settings.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$stage/usr/share/metainfo/$APP_ID.metainfo.xml" || fail "appstreamcli validate"
  local bin=$stage/usr/bin
  for program in korvo korvo-config; do
    page=$(zcat "$stage/usr/share/man/man6/$program.6.gz" | sed 's/\\-/-/g')
    for option in $("$bin/$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      grep -q -- "$option" <<<"$page" || fail "$program(6) lacks $option of --help"
    done
  done

  chmod -R a-w "$stage"
  touch "$T/installed"
  sleep 1
  local home=$T/home data
  new_home "$home"
  data=$home/.local/share/meridane-zeta

  step "first start: no score name"
  rc=0; as_player "$home" "$bin/korvo" --null-renderer --frames 10 </dev/null >"$T/out" 2>&1 || rc=$?
  [ "$rc" -eq 255 ] || { cat "$T/out"; fail "a start without a score name ended with $rc"; }
  grep -q "korvo-config --name" "$T/out" || { cat "$T/out"; fail "the message does not name korvo-config"; }
  [ -d "$data" ] || fail "$data was not made on the first start"
  [ "$(stat -c %a "$data")" = 700 ] || fail "$data is not the player's alone"

  step "korvo-config --name writes the same critical.ini"
  as_player "$home" "$bin/korvo-config" --name tester >/dev/null
  [ "$(cat "$data/critical.ini")" = "scorename,tester" ] || fail "critical.ini: $(cat "$data/critical.ini")"
  as_player "$home" "$bin/korvo-config" --show | grep -q "Folder: $data/" || fail "korvo-config shows another folder"

  step "a game lost and kept in slot 0"
  # The idle craft loses its three crafts within 2600 steps; the save list is
  # open at 3000, where attack0 keeps the replay in the first slot.
  printf '5 attack0\n12 attack0\n3000 attack0\n' >"$T/keep.txt"
  as_player "$home" "$bin/korvo" --null-renderer --unpaced --input-script "$T/keep.txt" --frames 3050 >"$T/out" 2>&1 \
    || { cat "$T/out"; fail "the game that keeps a replay"; }
  [ -f "$data/replay/replay0.dat" ] || { scene "$home"; fail "no replay0.dat in $data/replay"; }

  step "the next start finds it and plays it"
  # Main menu, two down to the replay list, open it, watch slot 0.
  printf '5 attack0\n7 y=-1\n9 y=-1\n11 attack0\n13 attack0\n' >"$T/watch.txt"
  as_player "$home" "$bin/korvo" --null-renderer --unpaced --input-script "$T/watch.txt" --frames 200 >"$T/out" 2>&1 \
    || { cat "$T/out"; fail "the game that watches the replay"; }
  scene "$home" | tr '\n' ' ' | grep -Eq "stage -4 .*stage 0 " || { scene "$home"; fail "slot 0 was not watched"; }

  step "one copy at a time in the player's folder"
  as_player "$home" "$bin/korvo" --null-renderer --frames 600 >"$T/first" 2>&1 &
  local first=$!
  sleep 2
  rc=0; as_player "$home" "$bin/korvo" --null-renderer --frames 10 >"$T/out" 2>&1 || rc=$?
  kill "$first" 2>/dev/null || true
  wait "$first" 2>/dev/null || true
  [ "$rc" -eq 1 ] || { cat "$T/out"; fail "a second copy ended with $rc"; }
  grep -q "already running in \"$data/\"" "$T/out" || { cat "$T/out"; fail "the lock's message"; }

  step "asked on a terminal"
  local home2=$T/home2
  new_home "$home2"
  printf 'alice\n' | as_player "$home2" script -qec "$bin/korvo --null-renderer --frames 5" /dev/null >"$T/out" 2>&1 \
    || { cat "$T/out"; fail "a terminal start without a score name"; }
  grep -qx "scorename,alice" "$home2/.local/share/meridane-zeta/critical.ini" \
    || { cat "$T/out"; fail "the name asked on the terminal was not kept"; }

  step "no folder can keep the files"
  for run in "korvo --null-renderer:255" "korvo-config --show:1"; do
    rc=0
    as_player "$home" env XDG_DATA_HOME=/proc/none $bin/${run%:*} >"$T/out" 2>&1 </dev/null || rc=$?
    [ "$rc" -eq "${run#*:}" ] || { cat "$T/out"; fail "${run%:*} ended with $rc"; }
    grep -q "\"$bin/\"" "$T/out" && grep -q '"/proc/none/meridane-zeta/"' "$T/out" \
      || { cat "$T/out"; fail "${run%:*} does not name both folders"; }
  done

  step "an unpacked folder that cannot be written"
  local unpacked=$T/unpacked home3=$T/home3
  mkdir "$unpacked"
  cp "$bin/korvo" "$bin/korvo-config" "$stage/usr/share/meridane-zeta/data.dll" "$unpacked/"
  chmod -R a-w "$unpacked"
  new_home "$home3"
  as_player "$home3" "$unpacked/korvo-config" --name bob >/dev/null
  as_player "$home3" "$unpacked/korvo" --null-renderer --frames 30 >"$T/out" 2>&1 || { cat "$T/out"; fail "unpacked"; }
  [ -f "$home3/.local/share/meridane-zeta/log/scene.txt" ] || fail "the unpacked game's files are not in the player's folder"
  [ "$(ls "$unpacked" | wc -l)" -eq 3 ] || fail "files appeared in the read-only folder"

  step "nothing was written into the installed tree"
  [ -z "$(find "$stage" -newer "$T/installed")" ] || { find "$stage" -newer "$T/installed"; fail "the install changed"; }

  step "make uninstall"
  chmod -R u+w "$stage"
  make -s -C "$SRC" uninstall BUILD="$BUILD" DESTDIR="$stage" INSTALL_RECORD="$record" >"$T/uninstall.log" 2>&1 \
    || { cat "$T/uninstall.log" >&2; fail "make uninstall"; }
  left=$(cd "$stage" && find . -type f)
  [ "$left" = "./usr/share/applications/other.desktop" ] || fail "left after uninstall: $left"
  for dir in usr/share/meridane-zeta usr/share/doc/meridane-zeta; do
    [ ! -e "$stage/$dir" ] || fail "$dir is left after uninstall"
  done
  echo "player: ok"
}

case $MODE in
  player) player ;;
  package) package ;;
  *) echo "usage: $0 player|package BUILD" >&2; exit 2 ;;
esac
