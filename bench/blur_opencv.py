#!/usr/bin/env python3
"""The yardstick for the blur pass: OpenCV's filter2D with the same 3 x 3 kernel on one
thread, on noisy pictures of the sizes bench/effects_bench uses. Prints the median time per
size in milliseconds. Needs python3-opencv; without it prints a note and exits 0, so it is
only ever run by hand beside effects_bench (in the same minute, the machine being shared).

    python3 bench/blur_opencv.py [repetitions]
"""
import statistics
import sys
import time

try:
    import cv2
    import numpy as np
except ImportError:
    print("OpenCV for Python is not installed (Debian: python3-opencv): skipped")
    sys.exit(0)


def main():
    reps = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    cv2.setNumThreads(1)
    kernel = np.array([[0.7, 1.0, 0.7], [1.0, 1.0, 1.0], [0.7, 1.0, 0.7]], np.float32)
    kernel /= kernel.sum()
    rng = np.random.default_rng(1)
    for w, h in ((800, 600), (3596, 3596)):
        src = rng.integers(0, 256, (h, w, 3), dtype=np.uint8)
        dst = np.empty_like(src)
        times, cpu = [], []
        for _ in range(reps):
            start, start_cpu = time.perf_counter(), time.thread_time()
            cv2.filter2D(src, -1, kernel, dst=dst, borderType=cv2.BORDER_REPLICATE)
            times.append((time.perf_counter() - start) * 1e3)
            cpu.append((time.thread_time() - start_cpu) * 1e3)
        # On a shared machine the processor time is the steadier figure; effects_bench prints both too.
        print(f"filter2D {w}x{h}: {statistics.median(times):.3f} ms real, {statistics.median(cpu):.3f} ms CPU"
              f" (medians of {reps}, OpenCV {cv2.__version__})")


if __name__ == "__main__":
    main()
