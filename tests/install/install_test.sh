#!/usr/bin/env bash
# Installs the suite into a staging directory (DESTDIR) and runs it from there
# with the build and source trees hidden: Portdeck finds an emulated ISDN TA,
# Patchwell loads its engine, Linescope decodes a capture as the built one does, the menu entries and the
# AppStream metadata validate, the Debian package holds exactly the install,
# and nothing of the trees is mapped or linked.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
source=$(cd "${2:?source directory}" && pwd)

work=$(mktemp -d /tmp/tallyline-install-test.XXXXXX)
cleanup() { [ -n "${KEEP_INSTALL_TEST:-}" ] || rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

stage="$work/stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr > "$work/install.log"
prefix="$stage/usr"

# What lies where.
for f in bin/portdeck bin/patchwell bin/patchwell-site bin/linescope bin/tallysim \
         lib/tallyline/libtlplatform.so lib/tallyline/libquillon.so lib/tallyline/libmantlet.so \
         lib/tallyline/libgantry.so lib/tallyline/libsprocket.so lib/tallyline/libwicket.so \
         lib/tallyline/libtessel.so lib/tallyline/libpatchwell.so lib/tallyline/libcsh.so \
         share/tallyline/pd30dic.mld share/tallyline/PWENU.INI share/tallyline/LangSupp.ini \
         share/tallyline/ISDNTA.ini share/tallyline/findcomp.avi share/tallyline/help/isdnta \
         share/tallyline/updatesite/isdnta \
         share/applications/com.varnel.Portdeck.desktop share/applications/com.varnel.Patchwell.desktop \
         share/metainfo/com.varnel.Portdeck.metainfo.xml share/metainfo/com.varnel.Patchwell.metainfo.xml \
         share/icons/hicolor/scalable/apps/com.varnel.Portdeck.svg \
         share/icons/hicolor/16x16/apps/com.varnel.Portdeck.png \
         share/icons/hicolor/256x256/apps/com.varnel.Patchwell.png \
         share/man/man1/portdeck.1 share/man/man1/patchwell.1 share/man/man1/linescope.1 share/man/man1/tallysim.1 \
         share/man/man1/patchwell-site.1 share/tallyline/updatesite/isdnta/update.ini.minisig; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
# Nothing of the build: no tests, benchmarks, helpers or static libraries.
extra=$(cd "$prefix" && find . -type f \( -name '*_tests' -o -name 'bench_*' -o -name '*.a' -o -name '*testable*' \
        -o -name 'rendericon' -o -name 'tldictc' -o -name '*fuzz*' \))
[ -z "$extra" ] || fail "build products installed: $extra"

# The sample signing key is no part of an install, and nothing installed trusts it.
sample_key=$(sed -n 2p "$source/resources/sample-signing-key/sample-update-key.pub")
[ -z "$(cd "$prefix" && find . -name '*.key' -o -name '*.pub')" ] || fail "a signing key is installed"
if grep -rlF "$sample_key" "$prefix" > /dev/null; then fail "an installed file trusts the sample key"; fi
# The installed tool checks the installed sample site as the engine would.
"$prefix/bin/patchwell-site" check "$prefix/share/tallyline/updatesite/isdnta" --key "$sample_key" > /dev/null \
  || fail "the installed patchwell-site does not take the sample site"

# No installed program or library looks for libraries in the trees.
for elf in "$prefix"/bin/* "$prefix"/lib/tallyline/*.so; do
  if readelf -d "$elf" | grep -E 'R(UN)?PATH' | grep -qE "$build|$source"; then
    fail "$elf keeps a run path into the build or source tree"
  fi
done

desktop-file-validate "$prefix"/share/applications/*.desktop || fail "desktop entries do not validate"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml > "$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log"; fail "AppStream metadata does not validate"; }

# A capture and the report the built Linescope makes of it, to compare with.
capture="$source/linescope/fuzz/corpus/synthetic-mixed"
cp "$capture" "$work/capture.dat"
(cd "$work" && "$build/bin/linescope" capture.dat expected.txt > /dev/null)

# The run itself, in a mount namespace where both trees are empty, when this
# machine allows one; else as it is (the mapped-files check still holds).
cat > "$work/run.sh" <<'EOT'
set -euo pipefail
work=$1 prefix=$2 build=$3 source=$4
if [ "${HIDE_TREES:-0}" = 1 ]; then
  mount -t tmpfs none "$build"
  mount -t tmpfs none "$source"
  if [ -e "$build/bin" ] || [ -e "$source/CMakeLists.txt" ]; then echo "FAIL: the trees are still visible"; exit 1; fi
fi
fail() { echo "FAIL: $*" >&2; exit 1; }
export TALLYLINE_ROOT="$work/root" QT_QPA_PLATFORM=offscreen TALLYLINE_TIME_SCALE=0.25
unset LD_LIBRARY_PATH TALLYLINE_HELP_DIR
mkdir -p "$TALLYLINE_ROOT/registry" "$work/shots" "$work/cwd"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Tallyline\\Portdeck\\Language]\r\n"ID"="409"\r\n"SubLanguage"="US English"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Varnel\\Patchwell\\Products\\Patchwell]\r\n"InstallDirectory"="%s"\r\n' \
  "$prefix/bin" > "$TALLYLINE_ROOT/registry/HKEY_LOCAL_MACHINE.reg"

cd "$work/cwd"
"$prefix/bin/linescope" "$work/capture.dat" report.txt > /dev/null || fail "installed linescope failed"
cmp -s report.txt "$work/expected.txt" || fail "installed linescope's report differs from the built one's"

"$prefix/bin/tallysim" --product isdnta --com 1 --serial IT0001 --link "$TALLYLINE_ROOT/ttyCOM1" \
  > "$work/tallysim.out" 2>&1 &
sim=$!
trap 'kill $sim ${pw:-} 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/tallysim.out" ] && break; sleep 0.05; done
[ -s "$work/tallysim.out" ] || fail "installed tallysim did not start"

"$prefix/bin/portdeck" /l "--screenshot-dir=$work/shots" > "$work/portdeck.out" 2>&1 &
deck=$!
: > "$work/maps"
deadline=$((SECONDS + 50))
while kill -0 $deck 2>/dev/null; do
  if [ $SECONDS -ge $deadline ]; then kill $deck; fail "portdeck did not end"; fi
  awk '$6 ~ /^\// {print $6}' /proc/$deck/maps >> "$work/maps" 2>/dev/null || true
  sleep 0.2
done
wait $deck || { cat "$work/portdeck.out"; fail "installed portdeck failed"; }
[ -f "$work/shots/detected.txt" ] || { cat "$work/portdeck.out"; fail "portdeck wrote no detection report"; }
grep -q "ISDN" "$work/shots/detected.txt" || { cat "$work/shots/detected.txt"; fail "portdeck did not find the ISDN TA"; }

# Patchwell with its sheet open: it registers the installed engine and loads it.
"$prefix/bin/patchwell" -C > "$work/patchwell.out" 2>&1 &
pw=$!
registered=""
for _ in $(seq 100); do
  awk '$6 ~ /^\// {print $6}' /proc/$pw/maps >> "$work/maps" 2>/dev/null || true
  if grep -q "libpatchwell.so$" /proc/$pw/maps 2>/dev/null; then registered=1; break; fi
  sleep 0.1
done
# (checked while it runs: it takes the registration back when it ends)
grep -q "^@=\"$prefix/lib/tallyline/libpatchwell.so\"" "$TALLYLINE_ROOT/registry/HKEY_CLASSES_ROOT.reg" \
  || fail "the engine registered is not the installed one"
grep -q "\"InstallDirectory\"=\"$prefix/bin\"" "$TALLYLINE_ROOT/registry/HKEY_LOCAL_MACHINE.reg" \
  || fail "Patchwell's install directory is not the installed bin/"
kill $pw 2>/dev/null || true
wait $pw 2>/dev/null || true
[ -n "$registered" ] || { cat "$work/patchwell.out"; fail "installed patchwell did not load its engine"; }

sort -u "$work/maps" > "$work/mapped"
grep -q "^$prefix/lib/tallyline/libquillon.so$" "$work/mapped" || fail "Quillon was not loaded from the install"
grep -q "^$prefix/lib/tallyline/libtlplatform.so$" "$work/mapped" || fail "the platform library was not loaded from the install"
grep -q "^$prefix/lib/tallyline/libpatchwell.so$" "$work/mapped" || fail "the engine was not loaded from the install"
if grep -E "^($build|$source)/" "$work/mapped"; then fail "files of the trees were mapped"; fi
grep -q "pd30dic.mld cannot be read" "$work/portdeck.out" && fail "the dictionary was not found"
echo "ok: detected $(tr '\n' ' ' < "$work/shots/detected.txt")"
EOT

# The Debian package: what was installed above and nothing else, depending on
# the Qt runtime packages.
if command -v dpkg-shlibdeps > /dev/null; then
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1 \
    || { tail -n 20 "$work/cpack.log"; fail "cpack could not build the package"; }
  deb=$(ls "$work"/package/*.deb)
  dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./usr/||' | sort > "$work/deb-files"
  (cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) > "$work/installed-files"
  diff "$work/installed-files" "$work/deb-files" || fail "the package holds other files than the install"
  depends=$(dpkg-deb -f "$deb" Depends)
  for p in libqt6widgets6 libqt6serialport6 libqt6network6 libqt6svg6 qt6-qpa-plugins fonts-liberation2 libsodium23 minisign; do
    [[ "$depends" == *"$p"* ]] || fail "the package does not depend on $p: $depends"
  done
fi

if unshare -m true 2>/dev/null; then
  HIDE_TREES=1 unshare -m bash "$work/run.sh" "$work" "$prefix" "$build" "$source"
else
  bash "$work/run.sh" "$work" "$prefix" "$build" "$source"
fi
echo "ok: installed tree works on its own"
