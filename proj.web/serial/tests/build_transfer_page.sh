#!/bin/sh
# Builds the browser test's program (TransferPageMain.cpp) with em++ into
# OUT_DIR: transfer.js and transfer.wasm. Exits 77 when em++ is missing.
# usage: build_transfer_page.sh SOURCE_ROOT OUT_DIR
set -eu
root="$1"
out="$2"
command -v em++ >/dev/null || { echo "SKIP: em++ is not installed (package emscripten)"; exit 77; }
# Debian's emscripten finds its JavaScript optimizer's modules there.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
mkdir -p "$out"
cd "$root"
exec em++ -std=c++20 -O2 -DNDEBUG -Wall -Wextra -Werror -I. \
  catalogue/Catalogue.cpp catalogue/CatalogueCards.cpp catalogue/CatalogueQueCodes.cpp \
  catalogue/CatalogueView.cpp catalogue/DeviceManager.cpp \
  engine/base/Ref.cpp engine/base/AutoreleasePool.cpp \
  program/NumberText.cpp program/CardNumberRule.cpp program/QueProgram.cpp program/QueProgramAssembler.cpp \
  program/TextTransferAssembler.cpp program/TransferSchedule.cpp program/PacedPortWriter.cpp \
  program/web/WebBoardTransfer.cpp \
  engine/base/Log.cpp device/PavluneCardSerialData.cpp device/PavluneCardSerialManager.cpp device/PortIdentity.cpp \
  device/PortOpenError.cpp device/PortChangeWatcher.cpp device/web/WebSerialBackend.cpp \
  device/web/EmscriptenSerialPage.cpp \
  proj.web/serial/tests/TransferPageMain.cpp \
  --pre-js proj.web/serial/serial-pacer.js --pre-js proj.web/serial/web-serial-link.js \
  -o "$out/transfer.js"
