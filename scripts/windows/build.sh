#!/usr/bin/env bash
# Builds Gravik for Windows into build-windows/: gravik.exe and gravik-print.exe
# with their DLLs in build-windows/stage/, the installer
# Gravik-<version>-setup.exe and the portable Gravik-<version>-portable.zip.
# The first run also builds the Windows libraries (build-deps.sh, about an hour).
#
#   --if-cached   build only when those libraries are already in the cache
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$PWD"
cache="${GRAVIK_WINDOWS_CACHE:-$HOME/.cache/gravik/windows}"
prefix="$cache/prefix"

if [ "${1:-}" = "--if-cached" ] && [ ! -f "$prefix/.complete" ]; then
  echo "Windows build skipped: no cross-built Qt in $prefix (make it with scripts/windows/build-deps.sh)"
  exit 0
fi
bash scripts/install-deps.sh scripts/windows/packages.txt
bash scripts/windows/build-deps.sh

out="$root/build-windows"
mkdir -p "$out"
export CCACHE_BASEDIR="$root"

# The icons as pictures, made with the host's Qt Svg.
cmake -S tools/svgtopng -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/host" >/dev/null
rm -rf "$out/pictures" && mkdir -p "$out/pictures/icons"
QT_QPA_PLATFORM=offscreen "$out/host/svgtopng" 64 "$out/pictures/icons" resources/icons/*.svg
# The program's own icon for Explorer and the taskbar, at the sizes Windows asks for.
mkdir -p "$out/pictures/ico"
for size in 16 24 128; do
  QT_QPA_PLATFORM=offscreen "$out/host/svgtopng" "$size" "$out/pictures/ico" resources/icons/gravik.svg
  for f in "$out/pictures/ico"/gravik*.png; do mv "$f" "$out/pictures/ico/$size-$(basename "$f")"; done
done
icotool -c -o "$out/pictures/gravik.ico" "$out/pictures/ico"/{16,24}-*.png "$out/pictures/ico/128-gravik.png" \
  -r "$out/pictures/ico/128-gravik@2x.png"

cmake -S . -B "$out/cross" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DGRAVIK_BUILD_TESTS=OFF -DGRAVIK_BUILD_BENCH=OFF \
  -DGRAVIK_ICON_PICTURES="$out/pictures" \
  -DGRAVIK_QT_TRANSLATIONS="$(qtpaths6 --query QT_INSTALL_TRANSLATIONS)" >/dev/null
cmake --build "$out/cross" -j"$(nproc)"
rm -rf "$out/stage"
cmake --install "$out/cross" --prefix "$out/stage" >/dev/null

version="$(sed -n 's/^project(gravik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

# The uninstaller removes what the installer put there and nothing else: in a
# per-user install the operator's data files live in the same folder.
(cd "$out/stage" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort \
  | sed 's|.*|  Delete "$INSTDIR\\&"|') > "$out/uninstall-files.nsh"
(cd "$out/stage" && find . -mindepth 1 -type d | sed 's|^\./||; s|/|\\|g' | sort -r \
  | sed 's|.*|  RMDir "$INSTDIR\\&"|') >> "$out/uninstall-files.nsh"
makensis -V2 -DVERSION="$version" -DSTAGE="$out/stage" -DFILES="$out/uninstall-files.nsh" \
  -DICON="$out/pictures/gravik.ico" \
  -DOUTFILE="$out/Gravik-$version-setup.exe" packaging/windows/gravik.nsi

# The portable copy runs from its own folder, its data beside it.
rm -rf "$out/portable" && mkdir -p "$out/portable/Gravik"
cp -r "$out/stage/." "$out/portable/Gravik/"
cp -r defaults/. "$out/portable/Gravik/"
rm -f "$out/Gravik-$version-portable.zip"
(cd "$out/portable" && cmake -E tar cf "$out/Gravik-$version-portable.zip" --format=zip Gravik)
echo "Windows build: $out/Gravik-$version-setup.exe and $out/Gravik-$version-portable.zip"
