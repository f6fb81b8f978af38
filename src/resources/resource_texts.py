#!/usr/bin/env python3
"""Writes the texts of the module's resource scripts as C++ tables.

The platform without windows has no resources to load texts from, and the
tests compare the languages with each other; both read these tables, so that
what they see is what the resource compiler builds into the module. Reads the
string tables, menus and dialog templates of the given scripts (the subset of
the resource language the scripts use), with the ids from the given headers.

usage: resource_texts.py OUTPUT.cpp --ids HEADER... --rc SCRIPT...
"""

import argparse
import re
import sys

LANGUAGES = {
    ("LANG_JAPANESE", "SUBLANG_DEFAULT"): 0x0411,
    ("LANG_ENGLISH", "SUBLANG_ENGLISH_US"): 0x0409,
}
SYSTEM_IDS = {"IDOK": 1, "IDCANCEL": 2, "IDC_STATIC": -1}
# Control statements with a text first, then the id and the rectangle.
TEXT_CONTROLS = {
    "DEFPUSHBUTTON": "button", "PUSHBUTTON": "button", "AUTORADIOBUTTON": "radio",
    "AUTOCHECKBOX": "check", "GROUPBOX": "group", "LTEXT": "static", "CTEXT": "static",
    "RTEXT": "static",
}
# Control statements without a text: the id and the rectangle.
PLAIN_CONTROLS = {"EDITTEXT": "edit", "COMBOBOX": "combo"}
# Resources of one line, a file or a picture without texts.
ONE_LINE_RESOURCES = {"BITMAP", "CURSOR", "ICON"}


class ScriptError(Exception):
    pass


def read_ids(paths):
    ids = dict(SYSTEM_IDS)
    define = re.compile(r"^\s*#define\s+(\w+)\s+(.+?)\s*(//.*)?$")
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for line in f:
                m = define.match(line)
                if m and m.group(1) not in ids:
                    value = m.group(2).strip("()")
                    try:
                        ids[m.group(1)] = int(value, 0)
                    except ValueError:
                        pass
    return ids


def tokens(line):
    """Splits a script line into strings (unescaped, marked) and words."""
    out = []
    i = 0
    while i < len(line):
        c = line[i]
        if c.isspace() or c == ",":
            i += 1
        elif line.startswith("//", i):
            break
        elif c == '"':
            text = []
            i += 1
            while True:
                if i >= len(line):
                    raise ScriptError("unterminated string: " + line)
                c = line[i]
                if c == '"':
                    if line.startswith('""', i):
                        text.append('"')
                        i += 2
                        continue
                    i += 1
                    break
                if c == "\\" and i + 1 < len(line):
                    nxt = line[i + 1]
                    text.append({"n": "\n", "t": "\t", "\\": "\\", '"': '"'}.get(nxt, "\\" + nxt))
                    i += 2
                    continue
                text.append(c)
                i += 1
            out.append(("str", "".join(text)))
        else:
            j = i
            while j < len(line) and not line[j].isspace() and line[j] not in ',"':
                j += 1
            out.append(("word", line[i:j]))
            i = j
    return out


def number(ids, token):
    kind, value = token
    if kind != "word":
        raise ScriptError("a number was expected, not a string")
    if value in ids:
        return ids[value]
    try:
        return int(value, 0)
    except ValueError:
        raise ScriptError("unknown id " + value) from None


def parse(paths, ids):
    strings, menus, dialogs = [], [], []
    for path in paths:
        with open(path, encoding="utf-8") as f:
            lines = [l.rstrip("\n") for l in f]
        language = None
        i = 0

        def block(start):
            """The lines of the BEGIN ... END block at or after `start`."""
            j = start
            while lines[j].strip() != "BEGIN":
                j += 1
            depth, body = 0, []
            for k in range(j, len(lines)):
                word = lines[k].strip()
                if word == "BEGIN":
                    depth += 1
                    if depth == 1:
                        continue
                elif word == "END":
                    depth -= 1
                    if depth == 0:
                        return body, k + 1
                body.append(lines[k])
            raise ScriptError(path + ": a block without END")

        while i < len(lines):
            line = lines[i].strip()
            t = tokens(line)
            if not t or line.startswith("#"):
                i += 1
                continue
            words = [v for k, v in t if k == "word"]
            if words[0] == "LANGUAGE":
                key = (words[1], words[2])
                if key not in LANGUAGES:
                    raise ScriptError(path + ": unknown language " + line)
                language = LANGUAGES[key]
                i += 1
            elif words[0] == "STRINGTABLE":
                body, i = block(i)
                for entry in body:
                    et = tokens(entry.strip())
                    if et:
                        strings.append((language, number(ids, et[0]), et[1][1]))
            elif len(words) >= 2 and words[1] == "MENU":
                menu = number(ids, t[0])
                body, i = block(i)
                depth = 0
                for entry in body:
                    et = tokens(entry.strip())
                    if not et:
                        continue
                    word = et[0][1]
                    if word == "BEGIN":
                        depth += 1
                    elif word == "END":
                        depth -= 1
                    elif word == "POPUP":
                        menus.append((language, menu, depth, "popup", 0, et[1][1]))
                    elif word == "MENUITEM" and et[1] == ("word", "SEPARATOR"):
                        menus.append((language, menu, depth, "separator", 0, ""))
                    elif word == "MENUITEM":
                        menus.append((language, menu, depth, "item", number(ids, et[2]), et[1][1]))
                    else:
                        raise ScriptError(path + ": unknown menu line " + entry)
            elif len(words) >= 2 and words[1] == "DIALOGEX":
                dialog = number(ids, t[0])
                rect = [number(ids, x) for x in t[2:6]]
                caption, font = "", ("", 0)
                j = i + 1
                while lines[j].strip() != "BEGIN":
                    ht = tokens(lines[j].strip())
                    if ht and ht[0][1] == "CAPTION":
                        caption = ht[1][1]
                    elif ht and ht[0][1] == "FONT":
                        font = (ht[2][1], number(ids, ht[1]))
                    j += 1
                body, i = block(j)
                controls = []
                for entry in body:
                    ct = tokens(entry.strip())
                    if not ct:
                        continue
                    word = ct[0][1]
                    if word in TEXT_CONTROLS:
                        controls.append((TEXT_CONTROLS[word], number(ids, ct[2]), ct[1][1],
                                         [number(ids, x) for x in ct[3:7]]))
                    elif word in PLAIN_CONTROLS:
                        controls.append((PLAIN_CONTROLS[word], number(ids, ct[1]), "",
                                         [number(ids, x) for x in ct[2:6]]))
                    elif word == "CONTROL":
                        text = ct[1][1] if ct[1][0] == "str" else ""
                        kind = "control:" + ct[3][1].lower()
                        # style, then x, y, width, height
                        rest = [x for x in ct[4:] if x[0] == "word"]
                        numbers = [v for v in rest if re.fullmatch(r"-?\d+|0x[0-9a-fA-F]+", v[1])]
                        controls.append((kind, number(ids, ct[2]), text,
                                         [number(ids, x) for x in numbers[-4:]]))
                    else:
                        raise ScriptError(path + ": unknown control line " + entry)
                dialogs.append((language, dialog, caption, font, rect, controls))
            elif len(words) >= 2 and words[1] in ONE_LINE_RESOURCES:
                i += 1
            elif len(words) >= 2:
                # A resource without texts and with a block (toolbar, version,
                # property list): skip the block.
                _, i = block(i)
            else:
                raise ScriptError(path + ": unknown line " + line)
        if language is None and (strings or menus or dialogs):
            raise ScriptError(path + ": resources before any LANGUAGE statement")
    return strings, menus, dialogs


def cpp_string(text):
    out = ['"']
    for ch in text.encode("utf-8"):
        c = chr(ch)
        if c == '"' or c == "\\":
            out.append("\\" + c)
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif 0x20 <= ch < 0x7F:
            out.append(c)
        else:
            out.append('\\%03o' % ch)
    out.append('"')
    return "".join(out)


def write(path, strings, menus, dialogs):
    kinds = {"popup": "kPopup", "separator": "kSeparator", "item": "kItem"}
    out = [
        "// Generated by src/resources/resource_texts.py from the module's resource",
        "// scripts; do not edit.",
        '#include "src/resources/resource_texts.h"',
        "",
        "namespace ulvo {",
        "namespace {",
        "",
        "constexpr ResourceString kStrings[] = {",
    ]
    for language, sid, text in strings:
        out.append("    {0x%04X, %d, %s}," % (language, sid, cpp_string(text)))
    out += ["};", "", "constexpr ResourceMenuEntry kMenuEntries[] = {"]
    for language, menu, depth, kind, mid, text in menus:
        out.append("    {0x%04X, %d, %d, ResourceMenuEntry::%s, %d, %s}," % (
            language, menu, depth, kinds[kind], mid, cpp_string(text)))
    out += ["};", "", "constexpr ResourceControl kControls[] = {"]
    for language, did, caption, font, rect, controls in dialogs:
        for kind, cid, text, crect in controls:
            out.append("    {0x%04X, %d, %s, %d, %s, {%s}}," % (
                language, did, cpp_string(kind), cid, cpp_string(text),
                ", ".join(str(v) for v in crect)))
    out += ["};", "", "constexpr ResourceDialog kDialogs[] = {"]
    for language, did, caption, font, rect, controls in dialogs:
        out.append("    {0x%04X, %d, %s, %s, %d, {%s}}," % (
            language, did, cpp_string(caption), cpp_string(font[0]), font[1],
            ", ".join(str(v) for v in rect)))
    out += [
        "};",
        "",
        "}  // namespace",
        "",
        "std::span<const ResourceString> ResourceStrings() { return kStrings; }",
        "std::span<const ResourceMenuEntry> ResourceMenuEntries() { return kMenuEntries; }",
        "std::span<const ResourceDialog> ResourceDialogs() { return kDialogs; }",
        "std::span<const ResourceControl> ResourceControls() { return kControls; }",
        "",
        "}  // namespace ulvo",
        "",
    ]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("output")
    parser.add_argument("--ids", nargs="+", required=True)
    parser.add_argument("--rc", nargs="+", required=True)
    args = parser.parse_args()
    try:
        strings, menus, dialogs = parse(args.rc, read_ids(args.ids))
    except ScriptError as error:
        print("resource_texts.py: " + str(error), file=sys.stderr)
        return 1
    write(args.output, strings, menus, dialogs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
