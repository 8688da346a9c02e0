#!/usr/bin/env bash
# Rebuilds the program folder's skeleton data/ from nothing: sounds, pictures, databases,
# settings; the user guide (Guides/) is kept: tools/guide.sh makes it. Run by hand after changing
# a generator, then commit data/.
# Needs python3, espeak-ng, sox, ImageMagick and iso-codes (Debian packages of those names).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
data="$(cd "$here/../.." && pwd)/data"

for tool in python3 espeak-ng sox convert; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -f /usr/share/iso-codes/json/iso_3166-1.json ] || { echo "missing: iso-codes" >&2; exit 1; }

guides="$(mktemp -d)"
trap 'rm -rf "$guides"' EXIT
[ -d "$data/Guides" ] && cp -a "$data/Guides" "$guides/"
rm -rf "$data"
mkdir -p "$data"
[ -d "$guides/Guides" ] && cp -a "$guides/Guides" "$data/"
export PYTHONDONTWRITEBYTECODE=1
python3 "$here/sounds.py" "$data/sons"
python3 "$here/pictures.py" "$data/images"
python3 "$here/databases.py" "$data"
python3 "$here/settings.py" "$data"
du -sh "$data"
