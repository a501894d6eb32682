#!/usr/bin/env bash
# Builds Tandril and takes two pictures under Xvfb: docs/screenshot-run.png,
# the main window after comparing the demo folders examples/source and
# examples/target, and docs/screenshot-pairview.png, the pair view on two
# versions of a small program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/plain -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDRIL_BENCH=ON >/dev/null
cmake --build build/plain -j "$(nproc)" --target WindowScreenshot PairViewProbe
examples/prepare.sh
xvfb-run -a -s "-screen 0 1280x800x24" \
    build/plain/bench/gui/WindowScreenshot examples/source examples/target docs/screenshot-run.png
echo "saved docs/screenshot-run.png"

pair=$(mktemp -d)
trap 'rm -rf "$pair"' EXIT
cat > "$pair/count.py" <<'END'
# ファイルの行数を数える
import sys


def count_lines(path):
    """行数を返す"""
    with open(path, encoding="utf-8") as f:
        return sum(1 for _ in f)


def main():
    total = 0
    for path in sys.argv[1:]:
        n = count_lines(path)
        print(f"{path}: {n}")
        total += n
    print("合計:", total)


if __name__ == "__main__":
    main()
END
cat > "$pair/count-new.py" <<'END'
# ファイルの行数と空行の数を数える
import sys


def count_lines(path):
    """行数と空行の数を返す"""
    lines = blank = 0
    with open(path, encoding="utf-8") as f:
        for line in f:
            lines += 1
            blank += not line.strip()
    return lines, blank


def main():
    total = 0
    for path in sys.argv[1:]:
        n, blank = count_lines(path)
        print(f"{path}: {n} (空行 {blank})")
        total += n
    print("合計:", total)


if __name__ == "__main__":
    main()
END
xvfb-run -n "${TANDRIL_XVFB_DISPLAY:-24}" -s "-screen 0 1280x800x24" \
    build/plain/bench/gui/PairViewProbe open "$pair/count.py" "$pair/count-new.py" \
    --shot docs/screenshot-pairview.png --f7 2 >/dev/null
echo "saved docs/screenshot-pairview.png"
