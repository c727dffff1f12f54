#!/usr/bin/env python3
"""Animation export against its baselines, in one run:
  - a 100-frame 1920 x 1080 AVI (uncompressed and MJPEG) through libdrovane, against
    writing the same frame bytes with one write() each;
  - a 50-frame 640 x 480 GIF through libdrovane, against ImageMagick's convert building
    the same animation from the same frames (PPM files).
Usage: bench/export_compare.py [path/to/libdrovane.so] [scratch folder]"""
import ctypes, os, shutil, subprocess, sys, tempfile, time

lib = ctypes.CDLL(sys.argv[1] if len(sys.argv) > 1 else "build/bench/libdrovane.so")
scratch = tempfile.mkdtemp(dir=sys.argv[2] if len(sys.argv) > 2 else None)

def frames(w, h, n):
    # A moving gradient: every frame differs, JPEG and the quantiser see real content.
    row = bytes(range(256)) * (w * 3 // 256 + 2)
    out = []
    for i in range(n):
        shift = (i * 7) % 256
        data = bytearray()
        for y in range(h):
            start = (y + shift) % 256
            data += row[start:start + w * 3]
        out.append(bytes(data))
    return out

def timed(work):
    start = time.perf_counter()
    work()
    return time.perf_counter() - start

def avi(path, handler, clip, w, h):
    lib.DRO_CreateImage(None, w, h, 64, 0)
    lib.DRO_SetAVICompression(handler, 90)
    lib.DRO_CreateAVI(path.encode(), 40)
    for f in clip:
        lib.DRO_WriteAVI_RGB24(f, w, h)
    lib.DRO_CloseAVI()

def raw(path, clip):
    with open(path, "wb") as out:
        for f in clip:
            out.write(f)

def gif(path, clip, w, h):
    lib.DRO_CreateImage(None, w, h, 64, 0)
    lib.DRO_CreateGIF(path.encode(), 40, None)
    for f in clip:
        lib.DRO_WriteGIF_RGB24(f, w, h)
    lib.DRO_CloseGIF()

try:
    big = frames(1920, 1080, 100)
    t_raw = timed(lambda: raw(os.path.join(scratch, "raw.bin"), big))
    t_dib = timed(lambda: avi(os.path.join(scratch, "dib.avi"), b"DIB ", big, 1920, 1080))
    t_mjpg = timed(lambda: avi(os.path.join(scratch, "mjpg.avi"), b"MJPG", big, 1920, 1080))
    print(f"AVI 100 x 1920x1080: one write per frame {t_raw:.2f} s, uncompressed {t_dib:.2f} s "
          f"({t_dib / t_raw:.2f} x), MJPEG q90 {t_mjpg:.2f} s ({t_mjpg / t_raw:.2f} x)")
    small = frames(640, 480, 50)
    ppms = []
    for i, f in enumerate(small):
        p = os.path.join(scratch, f"f{i:02}.ppm")
        with open(p, "wb") as out:
            out.write(b"P6 640 480 255\n" + f)
        ppms.append(p)
    t_gif = timed(lambda: gif(os.path.join(scratch, "ours.gif"), small, 640, 480))
    t_im = timed(lambda: subprocess.run(["convert", "-delay", "4", "-loop", "0", *ppms,
                                         os.path.join(scratch, "im.gif")], check=True))
    print(f"GIF 50 x 640x480: drovane {t_gif:.2f} s, ImageMagick convert {t_im:.2f} s "
          f"(drovane / convert {t_gif / t_im:.2f})")
finally:
    shutil.rmtree(scratch)
