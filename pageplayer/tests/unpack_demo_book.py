#!/usr/bin/env python3
"""Makes the book maker's demo book and unpacks it into a folder.

usage: unpack_demo_book.py MAKE_BOOK FOLDER
"""
import pathlib
import shutil
import subprocess
import sys
import zipfile


def main(make_book, folder):
    folder = pathlib.Path(folder)
    if not pathlib.Path(make_book).is_file():
        print(f"{make_book} is missing: build it with 'cmake --build build/native --target make-book'")
        return 1
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    book = folder.with_suffix(".vlq")
    subprocess.run([make_book, "--demo", "6", str(book)], check=True)
    with zipfile.ZipFile(book) as archive:
        archive.extractall(folder)
    print(f"demo book unpacked to {folder}")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
