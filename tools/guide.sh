#!/bin/sh
# Takes the pictures of the race director's guide again from the real windows (docs/guide/) and
# makes the PDF the Help menu opens (data/Guides/HelpRaceManagementGB.pdf) from docs/guide.md.
set -eu
cd "$(dirname "$0")/.."
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
cmake --preset asan >/dev/null
cmake --build --preset asan --target ui_guide_tests guide-pdf
mkdir -p docs/guide
VELKARO_GUIDE_PICTURES="$PWD/docs/guide" \
  QT_QPA_PLATFORM="offscreen:configfile=$PWD/tests/data/screen-1920x1080.json" \
  build/asan/tests/ui/ui_guide_tests --gtest_filter='GuidePictures.*'
QT_QPA_PLATFORM=offscreen build/asan/tools/guide-pdf/guide-pdf docs/guide.md \
  data/Guides/HelpRaceManagementGB.pdf
echo "docs/guide/ and data/Guides/HelpRaceManagementGB.pdf made again"
