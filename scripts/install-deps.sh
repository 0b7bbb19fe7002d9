#!/usr/bin/env bash
# Installs the Debian 12 packages Orasent needs. "run" gives what the program needs to build and
# start; "test" adds what the tests and benchmarks need (a PulseAudio server, clang and
# clang-format, a virtual display with the accessibility bus and a client for it, and the
# espeak-ng program for the heard-latency benchmark, pdftotext for the PDF benchmark, qpdf for
# the loading benchmark's long PDFs; playerctl, xclip and a stand-in shortcut portal in Python
# for the desktop test; ffmpeg and epubcheck to read exported audiobooks back; orca;
# desktop-file-utils and appstream to validate the desktop entry and the metainfo; sox,
# pocketsphinx and its CMU pronouncing dictionary for the voice benchmark's word error rate and
# the syllable benchmark's counts).
set -euo pipefail

runtime_packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-multimedia-dev libqt6multimedia6 qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng-data libsoxr-dev libsndfile1-dev libspeechd-dev libpcre2-dev
  libzip-dev libgumbo-dev libcmark-dev libexttextcat-dev libexttextcat-data
  libtag1-dev libmp3lame-dev libopusenc-dev
  flite1-dev
  festival festival-dev festvox-us-slt-hts festvox-kallpc16k
  fonts-dejavu-core fonts-liberation2 fonts-opendyslexic
  libpoppler-qt6-dev
  libtesseract-dev libleptonica-dev tesseract-ocr-eng tesseract-ocr-osd qt6-image-formats-plugins
  wordnet-dev wordnet-base libhyphen-dev hyphen-en-us hyphen-de festlex-cmu
)
test_packages=(pulseaudio pulseaudio-utils clang-14 libclang-rt-14-dev clang-format-14 xauth
  xvfb xdotool dbus-daemon at-spi2-core python3-pyatspi espeak-ng
  poppler-utils qpdf tesseract-ocr playerctl xclip python3-dbus python3-gi ffmpeg epubcheck
  speech-dispatcher speech-dispatcher-espeak-ng speech-dispatcher-audio-plugins orca
  desktop-file-utils appstream sox pocketsphinx pocketsphinx-en-us)

packages=("${runtime_packages[@]}")
if [[ "${1:-run}" == "test" ]]; then
  packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
