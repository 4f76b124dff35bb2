#!/usr/bin/env bash
# Puts the pictures that quillcast-paint's benchmark and the demo paint into
# DIR: astronaut.png and camera.png from Debian's python3-skimage (the
# package is fetched with apt-get download and unpacked with dpkg -x into a
# scratch folder, not installed, and nothing of it is kept in the project),
# and logo.png, ImageMagick's built-in picture.
#   bench/paint_pictures.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"
[ -f "$dir/logo.png" ] || convert logo: "$dir/logo.png"
if [ ! -f "$dir/astronaut.png" ] || [ ! -f "$dir/camera.png" ]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  # apt-get download writes into the current folder (warning that it runs
  # unsandboxed when the user _apt cannot write there).
  if ! (cd "$scratch" && apt-get download -qq python3-skimage 2>/dev/null); then
    echo "paint_pictures: could not download python3-skimage (run apt-get update?); only logo.png is there" >&2
    exit 1
  fi
  dpkg -x "$scratch"/python3-skimage_*.deb "$scratch/x"
  data=$(find "$scratch/x" -type d -path '*skimage/data' | head -1)
  cp "$data/astronaut.png" "$data/camera.png" "$dir/"
fi
