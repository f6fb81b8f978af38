#!/usr/bin/env python3
"""Checks the staged help pages of the filter:

  - each page is HTML that tidy reads without an error or a warning;
  - every link, picture and style sheet of a page, and every url() of a
    style sheet, names a file inside the help folder, and every #fragment
    an id of its page;
  - every picture in pictures/ is shown somewhere;
  - index.html is Japanese and index-en.html English, each links to the
    other, and both have the same sections (the same ids on h2 and h3);
  - with --screenshots DIR, headless Chromium renders each page into
    DIR/help-LANG.png.

    check_help.py [--tidy TIDY] [--screenshots DIR --chromium CHROMIUM] HELP_DIR
"""
import argparse
import html.parser
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.parse

PAGES = {"index.html": "ja", "index-en.html": "en"}
# The browser window of the screenshots: taller than the pages, whose blank
# bottom is cut off afterwards where ImageMagick is at hand.
WIDTH, HEIGHT = 1100, 16000


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.section_ids = []
        self.references = []  # (tag, attribute, value)
        self.lang = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "html":
            self.lang = attrs.get("lang")
        if "id" in attrs:
            self.ids.add(attrs["id"])
            if tag in ("h2", "h3"):
                self.section_ids.append(attrs["id"])
        for name in ("href", "src"):
            if name in attrs:
                self.references.append((tag, name, attrs[name]))


def local_target(base_dir, value, help_dir):
    """The file a relative reference names, and its fragment; None for a
    reference that leaves the help folder or names another scheme."""
    parts = urllib.parse.urlsplit(value)
    if parts.scheme or parts.netloc:
        return None, None
    path = urllib.parse.unquote(parts.path)
    target = os.path.normpath(os.path.join(base_dir, path)) if path else None
    if target is not None and os.path.commonpath([target, help_dir]) != help_dir:
        return None, None
    return target, parts.fragment


def check(help_dir, tidy):
    faults = []
    help_dir = os.path.abspath(help_dir)
    parsed = {}
    for name, lang in PAGES.items():
        path = os.path.join(help_dir, name)
        if not os.path.isfile(path):
            faults.append(f"{name}: missing")
            continue
        if tidy:
            run = subprocess.run([tidy, "-q", "-e", "-utf8", path], capture_output=True, text=True)
            if run.returncode != 0:
                faults.append(f"{name}: tidy:\n{run.stderr.strip()}")
        page = Page()
        with open(path, encoding="utf-8") as f:
            page.feed(f.read())
        parsed[name] = page
        if page.lang != lang:
            faults.append(f"{name}: lang is {page.lang!r}, not {lang!r}")

    used = set()
    for name, page in parsed.items():
        for tag, attribute, value in page.references:
            target, fragment = local_target(help_dir, value, help_dir)
            if target is None and not value.startswith("#"):
                faults.append(f"{name}: <{tag} {attribute}=\"{value}\"> leaves the help folder")
                continue
            target = target or os.path.join(help_dir, name)
            if not os.path.isfile(target):
                faults.append(f"{name}: <{tag} {attribute}=\"{value}\"> names no file")
                continue
            used.add(target)
            if fragment:
                other = parsed.get(os.path.relpath(target, help_dir))
                if other is None or fragment not in other.ids:
                    faults.append(f"{name}: <{tag} {attribute}=\"{value}\"> names no id")
            if target.endswith(".css"):
                faults += check_css(target, help_dir, used)

    for other_name in PAGES:
        for name, page in parsed.items():
            if name != other_name and not any(v == other_name for _, _, v in page.references):
                faults.append(f"{name}: no link to {other_name}")
    if len(parsed) == len(PAGES):
        sections = [parsed[name].section_ids for name in PAGES]
        if sections[0] != sections[1]:
            faults.append(f"the pages' sections differ: {sections[0]} against {sections[1]}")

    pictures = os.path.join(help_dir, "pictures")
    for entry in sorted(os.listdir(pictures)) if os.path.isdir(pictures) else []:
        if os.path.join(pictures, entry) not in used:
            faults.append(f"pictures/{entry}: shown nowhere")
    return faults


def check_css(path, help_dir, used):
    faults = []
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for value in re.findall(r"url\(\s*['\"]?([^'\")]+)['\"]?\s*\)", text):
        target, _ = local_target(os.path.dirname(path), value, help_dir)
        if target is None or not os.path.isfile(target):
            faults.append(f"{os.path.basename(path)}: url({value}) names no file in the help folder")
        else:
            used.add(target)
    return faults


def screenshots(help_dir, out_dir, chromium):
    os.makedirs(out_dir, exist_ok=True)
    faults = []
    for name, lang in PAGES.items():
        shot = os.path.join(os.path.abspath(out_dir), f"help-{lang}.png")
        if os.path.exists(shot):
            os.remove(shot)
        profile = tempfile.mkdtemp(prefix="ulvo-chromium-")
        try:
            command = [
                chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                f"--user-data-dir={profile}", f"--window-size={WIDTH},{HEIGHT}",
                f"--screenshot={shot}",
                "file://" + urllib.parse.quote(os.path.join(os.path.abspath(help_dir), name)),
            ]
            run = subprocess.run(command, capture_output=True, text=True, timeout=120)
        except subprocess.TimeoutExpired:
            run = None
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        if run is None or not os.path.isfile(shot) or os.path.getsize(shot) < 10000:
            detail = run.stderr.strip()[-2000:] if run is not None else "timed out"
            faults.append(f"{name}: Chromium wrote no screenshot: {detail}")
        else:
            cut_blank_bottom(shot)
            print(f"screenshot of {name}: {shot}")
    return faults


def cut_blank_bottom(shot):
    """Crops the screenshot below the page's last content, when ImageMagick's
    convert is there to find it."""
    convert = shutil.which("convert")
    if convert is None:
        return
    box = subprocess.run([convert, shot, "-format", "%@", "info:"], capture_output=True, text=True)
    match = re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", box.stdout.strip())
    if box.returncode != 0 or match is None:
        return
    bottom = min(int(match.group(2)) + int(match.group(4)) + 32, HEIGHT)
    subprocess.run([convert, shot, "-crop", f"{WIDTH}x{bottom}+0+0", "+repage", shot], check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--tidy")
    parser.add_argument("--screenshots")
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("help_dir")
    args = parser.parse_args()
    faults = check(args.help_dir, args.tidy)
    if args.screenshots:
        faults += screenshots(args.help_dir, args.screenshots, args.chromium)
    for fault in faults:
        print(f"help: {fault}", file=sys.stderr)
    if not faults:
        print(f"help: {len(PAGES)} pages checked")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
