#!/usr/bin/env bash
# Builds a release in fresh build trees and writes dist/:
#   corvane-<version>-windows-x64.zip   corvane.exe, corvane-cli.exe, README.txt, LICENSE.txt
#   corvane-cli_<version>_amd64.deb     corvane-cli, its man page, the card writer's udev rule
#   SHA256SUMS                          over both
# Then checks what it wrote: the zip unpacks and both programs tell the
# version under Wine, the package holds what it should and its program runs,
# the checksums hold, and a second build in other trees gives the same bytes.
# Everything is dated SOURCE_DATE_EPOCH: the last commit's time unless set.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
bash tools/setup.sh
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the working tree has changes that are not committed; they are built all the same" >&2
fi

fail() { echo "release: $*" >&2; exit 1; }

# Builds both packages from scratch in build/release/<name>, into its out/.
build_release() {  # name
  local tree="$here/build/release/$1"
  rm -rf "$tree"
  mkdir -p "$tree/out"
  # No build folder or source path in the programs, whichever tree builds them.
  local paths="-ffile-prefix-map=$here/= -ffile-prefix-map=$tree/="
  echo "release: building in build/release/$1"
  cmake -S . -B "$tree/native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCORVANE_PACKAGE=ON \
    -DCMAKE_CXX_FLAGS="$paths" -DCMAKE_C_FLAGS="$paths" >"$tree/native.log" 2>&1 &&
    cmake --build "$tree/native" -j "$(nproc)" >>"$tree/native.log" 2>&1 &&
    (cd "$tree/native" && cpack -B "$tree/out") >>"$tree/native.log" 2>&1 || { cat "$tree/native.log"; fail "the native build failed"; }
  cmake -S . -B "$tree/windows" -G Ninja --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$paths" -DCMAKE_C_FLAGS="$paths" -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s >"$tree/windows.log" 2>&1 &&
    cmake --build "$tree/windows" -j "$(nproc)" --target corvane corvane-cli >>"$tree/windows.log" 2>&1 ||
    { cat "$tree/windows.log"; fail "the Windows build failed"; }
  version=$(sed -nE 's/^CMAKE_PROJECT_VERSION:STATIC=(.*)$/\1/p' "$tree/native/CMakeCache.txt")
  [ -n "$version" ] || fail "no project version in the native tree"
  python3 packaging/make_windows_zip.py "$tree/out/corvane-$version-windows-x64.zip" "$version" \
    "$tree/windows/corvane.exe" "$tree/windows/corvane-cli.exe" packaging/README-windows.txt LICENSE
  rm -rf "$tree/out/_CPack_Packages"
}

build_release first
zip="corvane-$version-windows-x64.zip"
deb="corvane-cli_${version}_amd64.deb"
rm -rf dist
mkdir dist
cp "build/release/first/out/$zip" "build/release/first/out/$deb" dist/
(cd dist && sha256sum "$zip" "$deb" >SHA256SUMS)

echo "release: checking dist/"
check="$here/build/release/check"
rm -rf "$check"
mkdir -p "$check/unzipped" "$check/deb"

# The zip unpacks into an empty folder; both programs started from there.
unzip -q "dist/$zip" -d "$check/unzipped"
[ "$(cd "$check/unzipped" && ls | sort | tr '\n' ' ')" = "LICENSE.txt README.txt corvane-cli.exe corvane.exe " ] ||
  fail "the zip holds $(ls "$check/unzipped")"
grep -q "^Corvane $version for Windows" "$check/unzipped/README.txt" || fail "README.txt does not name version $version"
xvfb-run -a -s "-screen 0 1024x768x24" tools/with-wine.sh bash -c '
  cd "$1"
  /usr/lib/wine/wine64 corvane-cli.exe --version | tr -d "\r" >"$2/cli-version.txt"
  /usr/lib/wine/wine64 corvane.exe &
  # The caption gets the card-file'"'"'s name once the window is up: wait for both.
  for _ in $(seq 1 150); do
    for window in $(xdotool search --name "^Corvane v" 2>/dev/null); do
      xdotool getwindowname "$window" >"$2/caption.txt"
      grep -q " - " "$2/caption.txt" && exit 0
    done
    sleep 0.2
  done
' _ "$check/unzipped" "$check" >"$check/wine.log" 2>&1 || true
[ "$(cat "$check/cli-version.txt" 2>/dev/null)" = "corvane-cli $version" ] ||
  fail "corvane-cli.exe --version printed '$(cat "$check/cli-version.txt" 2>/dev/null)'"
caption=$(cat "$check/caption.txt" 2>/dev/null || true)
[ "$caption" = "Corvane v$version - Unnamed" ] || fail "corvane.exe showed the caption '$caption'"
echo "release: corvane.exe shows \"$caption\"; corvane-cli.exe --version prints \"corvane-cli $version\""

# The package holds the program, its man page, the udev rule and the licence; its program runs.
contents=$(dpkg-deb -c "dist/$deb" | awk '{ print $NF }')
for file in ./usr/bin/corvane-cli ./usr/share/man/man1/corvane-cli.1.gz \
            ./usr/lib/udev/rules.d/60-corvane-card-writer.rules ./usr/share/doc/corvane-cli/copyright; do
  grep -qxF "$file" <<<"$contents" || fail "$deb lacks $file"
done
dpkg-deb -f "dist/$deb" Depends | grep -q "libusb-1.0-0" || fail "$deb does not depend on libusb"
dpkg-deb -x "dist/$deb" "$check/deb"
[ "$("$check/deb/usr/bin/corvane-cli" --version)" = "corvane-cli $version" ] || fail "the packaged corvane-cli does not tell version $version"
# grep -c reads to the end: no broken pipe for zcat under pipefail.
zcat "$check/deb/usr/share/man/man1/corvane-cli.1.gz" | grep -c "corvane-cli $version" >/dev/null ||
  fail "the man page does not name version $version"
echo "release: $deb holds $(wc -l <<<"$contents") entries; its corvane-cli prints \"corvane-cli $version\""

(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not hold"

# A second build from scratch in other trees gives the same bytes.
build_release second
for file in "$zip" "$deb"; do
  cmp -s "dist/$file" "build/release/second/out/$file" || fail "a second build made another $file"
done
echo "release: a second build gave the same bytes"
echo
(cd dist && ls -l "$zip" "$deb" | awk '{ printf "%s  %d bytes\n", $NF, $5 }' && cat SHA256SUMS)
