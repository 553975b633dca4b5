#!/usr/bin/env bash
# Installs what is missing, builds in Release and runs the program on the
# bundled demo survey: in a window when there is a display, otherwise the
# headless part of the job, saying where the results are.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs" --target kvr-analysis kvr-cli
demo="$PWD/demo/demo.ard"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/kvr-analysis "$demo"
fi
out="$PWD/build/demo-output"
mkdir -p "$out"
export KVR_DATA_ROOT="$out/data-root/" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="default.debug=false"
echo "No display: the headless part of the job on $demo"
echo
echo "== Survey summary (kvr-cli info) =="
build/bin/kvr-cli info "$demo" 2>/dev/null
echo
echo "== The application, offscreen, with the demo survey open =="
# Start-up in a scratch data root: directories, configuration, icons,
# Chinese dialog texts and font, the survey opened, a picture of the window.
build/bin/kvr-analysis --self-check "$out" "$demo"
echo
echo "== Inspection report =="
build/bin/kvr-cli image "$demo" -o "$out/demo-report.png" 2>/dev/null
build/bin/kvr-cli pdf "$demo" -o "$out/demo-report.pdf" 2>/dev/null
build/bin/kvr-cli word "$demo" -o "$out/demo-report.docx" 2>/dev/null
echo "report image, PDF and Word document written"
echo
echo "Results are in $out:"
echo "  main-window.png       the main window with the demo survey"
echo "  demo-report.png       the report image"
echo "  demo-report.pdf       the printed report page"
echo "  demo-report.docx      the Word report"
echo "  data-root/            the program's data root (etc/param_config.xml)"
