#!/bin/sh
# Runs the band page benchmark and prints, for each method, the time and
# bytes per page next to netpbm's pbmtolj -compress on the same page: the
# comparison is the raster encoding benchmark's, with this benchmark's binary.
#   bench/band_page/compare.sh [path/to/bench_band_page]
exec "$(dirname "$0")/../raster_encode/compare.sh" "${1:-build/bench/band_page/bench_band_page}"
