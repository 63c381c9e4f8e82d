#!/usr/bin/python3
# Tells whether an X screenshot shows a given frame: the screenshot's area at the Wine
# desktop's corner must hold exactly the frame's pixels, and the frame must be lit at all.
# Usage: screen_shows_frame.py SCREENSHOT LEFT TOP FRAME.bmp; exits 0 when it does.
import sys

from PIL import Image, ImageChops


def main():
    screenshot, left, top, frame_path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    frame = Image.open(frame_path).convert("RGB")
    if frame.getbbox() is None:
        print(f"{frame_path} is black all over: nothing to look for on screen")
        return 1
    shown = Image.open(screenshot).convert("RGB")
    shown = shown.crop((left, top, left + frame.width, top + frame.height))
    difference = ImageChops.difference(shown, frame)
    box = difference.getbbox()
    if box is not None:
        print(f"the screen differs from {frame_path} within {box}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
