#!/usr/bin/env python3
"""Fails when a message of the program would reach a Japanese reader in English.

Every English message is a pattern literal with %1 ... %9 given to AppError, to inUserLanguage or
to a function that hands its first argument on to them (the list below); ctiq-cli's usage errors
are UsageError's. The check reads those literals from the sources and fails

  - for a pattern without a non-empty Japanese translation in translations/ctiq_ja.ts (context
    "message"; "cli" for the usage errors), or whose translation drops or adds a placeholder;
  - for a message still built by concatenation (AppError("The file " + path + ...)), which no
    translator ever sees.

  python3 tools/quality/check_messages.py SOURCE_DIR [--list]

--list prints every pattern found (the ones without a translation marked), for the translator.
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

FOLDERS = ["common", "image", "load", "viewer", "mtf", "wiener", "tasks", "cli", "app"]
# Callee -> the context its pattern is translated in.
PATTERN_TAKERS = {
    "AppError": "message",
    "inUserLanguage": "message",
    "messagePattern": "message",
    "refuse": "message",  # wiener/spectrum.cpp
    "notFound": "message",  # mtf/lsf.cpp
    "UsageError": "cli",
}
# Callees that take a finished text (the DICOM toolkit helper's refusals): a literal given to one
# is English for every reader.
TEXT_TAKERS = {"refused"}
CALL = re.compile(r"(?<![A-Za-z0-9_:.>])(?:ctiq::)?(" + "|".join([*PATTERN_TAKERS, *TEXT_TAKERS]) +
                  r")(?:\s+[A-Za-z_]\w*)?\s*\(")  # a call, or a variable made from a pattern
ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'", "0": "\0"}


def strip_comments(text):
    """The source with its comments blanked (string literals kept), so the offsets stay."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def first_argument(text, start):
    """The tokens of the call's first argument: ('str', value) for each string literal (adjacent
    literals joined), ('op', c) for the operators at its top level, ('other', '') for the rest."""
    tokens = []
    depth = 0
    i, n = start, len(text)
    while i < n:
        c = text[i]
        if c == '"':
            value = []
            j = i + 1
            while j < n and text[j] != '"':
                if text[j] == "\\" and j + 1 < n:
                    value.append(ESCAPES.get(text[j + 1], text[j + 1]))
                    j += 2
                else:
                    value.append(text[j])
                    j += 1
            if tokens and tokens[-1][0] == "str" and tokens[-1][2] == depth:
                tokens[-1] = ("str", tokens[-1][1] + "".join(value), depth)
            else:
                tokens.append(("str", "".join(value), depth))
            i = j + 1
            continue
        if c == "'":
            j = i + 1
            while j < n and text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            tokens.append(("other", "", depth))
            i = j + 1
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            if depth == 0:
                break
            depth -= 1
        elif c == "," and depth == 0:
            break
        elif c in "+?:" and depth == 0:
            tokens.append(("op", c, depth))
        elif not c.isspace():
            if not tokens or tokens[-1][0] != "other" or tokens[-1][2] != depth:
                tokens.append(("other", "", depth))
        i += 1
    return tokens


def placeholders(text):
    return sorted(set(re.findall(r"%[1-9]", text)))


def translations(path):
    found = {}
    for context in ElementTree.parse(path).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "unfinished"
            text = (translation.text or "") if translation is not None else ""
            found[(name, source)] = "" if kind in ("unfinished", "vanished", "obsolete") else text
    return found


def patterns_in(root):
    """(context, pattern, where) for every pattern literal, and the concatenations found."""
    patterns, concatenations, untranslated = [], [], []
    for folder in FOLDERS:
        for directory, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(directory, name)
                rel = os.path.relpath(path, root)
                text = strip_comments(open(path, encoding="utf-8").read())
                for m in CALL.finditer(text):
                    line = text.count("\n", 0, m.start()) + 1
                    where = f"{rel}:{line}"
                    tokens = first_argument(text, m.end())
                    # In `condition ? "a" : "b"` the condition's literals are no patterns.
                    question = [k for k, t in enumerate(tokens) if t[:2] == ("op", "?")]
                    if question:
                        tokens = tokens[question[0] + 1:]
                    literals = [t[1] for t in tokens if t[0] == "str" and t[2] == 0]
                    if not literals:
                        continue
                    if m.group(1) in TEXT_TAKERS:
                        untranslated.append(where)
                        continue
                    if any(t[0] == "op" and t[1] == "+" for t in tokens):
                        concatenations.append(where)
                        continue
                    context = PATTERN_TAKERS[m.group(1)]
                    for literal in literals:
                        patterns.append((context, literal, where))
    return patterns, concatenations, untranslated


def main():
    root = sys.argv[1]
    listing = "--list" in sys.argv[2:]
    patterns, concatenations, untranslated = patterns_in(root)
    japanese = translations(os.path.join(root, "translations", "ctiq_ja.ts"))
    problems = [f"{w}: a message built by concatenation; give AppError a pattern with %1 ... and "
                f"its values" for w in concatenations]
    problems += [f"{w}: an English text handed on as it is; give it as inUserLanguage(pattern, "
                 f"values)" for w in untranslated]
    seen = set()
    for context, pattern, where in patterns:
        translated = japanese.get((context, pattern), "")
        if listing and (context, pattern) not in seen:
            print(("    " if translated else "MISSING ") + f"[{context}] {pattern!r}")
        seen.add((context, pattern))
        if not translated.strip():
            problems.append(f"{where}: no Japanese translation in context \"{context}\" for "
                            f"{pattern!r}")
        elif placeholders(translated) != placeholders(pattern):
            problems.append(f"{where}: the translation of {pattern!r} has the placeholders "
                            f"{placeholders(translated)}, the pattern {placeholders(pattern)}")
    if len(seen) < 100:
        problems.append(f"only {len(seen)} patterns found: the extraction has stopped working")
    for p in problems:
        print(p)
    if not listing:
        print(f"{len(seen)} message patterns, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
