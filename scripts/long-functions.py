#!/usr/bin/env python3
"""Lists the library's long functions (tests, benchmarks and fuzz targets left
out), longest first, with file:line and length in lines (from the first line of
the signature to the closing brace), then how many are over 60 and over 100.

Informative: exits 0. With --max100 it exits 1 when a function over 100 lines
has no reason written directly above it, a comment line starting "// Long:"
(a table-like switch or a dispatch that reads best whole).

The C++ is read by a brace matcher: comments, string and character literals
(raw strings included) and preprocessor lines are blanked first, so their
braces do not count; a body is matched whole, so lambdas and local classes
inside it belong to the function that holds them; namespaces, classes and
extern blocks are entered, and brace initialisers (variables, member
initialiser lists) are passed over.

Usage: long-functions.py [--over N] [--max100] [--quiet] [paths...]"""

import argparse
import os
import re
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
NOT_LIBRARY = {"tests", "bench", "fuzz", "examples", "build", "cmake", "docs", "scripts",
               "resources", "catalog", "EXPORT", "POSTPROCESSORS"}
SOURCE = (".cpp", ".cc", ".cxx", ".h", ".hpp")
REASON = "// Long:"
RAW_PREFIX = ("", "u8", "u", "U", "L")


def blank(text):
    """The text with comments, literals and preprocessor lines replaced by
    spaces; line breaks are kept so positions still give line numbers."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":
            # A directive, with its continuation lines.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        line_start = False
        if c == "\n":
            line_start = True
            out.append(c)
            i += 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif text.startswith('R"', i) and re.search(r"\w*$", text[max(0, i - 8):i]).group(0) in RAW_PREFIX:
            m = re.match(r'R"([^ ()\\\t\n]{0,16})\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i + m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum() \
                    and re.match(r"[0-9a-fA-FxXbB']", text[i - 1]):
                back = re.search(r"[\w']*$", text[:i]).group(0)
                if back[:1].isdigit():
                    out.append(" ")
                    i += 1
                    continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(" " * (j - i))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def match_brace(code, i):
    """The index just past the brace that closes the one at i."""
    depth = 0
    n = len(code)
    while i < n:
        c = code[i]
        if c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                return i + 1
        i += 1
    return n


QUALIFIER = re.compile(r"(const|noexcept|override|final|mutable|volatile|&|&&|try|"
                       r"noexcept\s*\(.*\))\s*$", re.S)
ACCESS = re.compile(r"^\s*(public|private|protected)\s*:(?!:)\s*")
OPERATOR = re.compile(r"\boperator\s*(\(\s*\)|\[\s*\]|[^\s(\w]+|\w[\w\s:<>*&]*?(?=\())")


def top_level(head):
    """The head with every parenthesised group reduced to (), and the name
    before the first one."""
    flat, depth = [], 0
    for c in head:
        if c == "(":
            if depth == 0:
                flat.append("(")
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                flat.append(")")
        elif depth == 0:
            flat.append(c)
    return "".join(flat)


def classify(head):
    """What the brace after `head` opens: 'scope', 'skip', 'body' or 'init'."""
    h = ACCESS.sub("", head).strip()
    h = re.sub(r"^template\s*<.*?>\s*(?=[a-z])", "", h, flags=re.S) if h.startswith("template") else h
    h = OPERATOR.sub("operator_", h)
    if not h:
        return "skip"
    if re.match(r"(inline\s+)?namespace\b", h) or re.fullmatch(r"extern\s*", h):
        return "scope"
    if re.match(r"(typedef\s+)?enum\b", h):
        return "skip"
    flat = top_level(h)
    if re.fullmatch(r"[A-Z][A-Z0-9_]*", flat):
        return "body"  # a function a macro declares
    if re.match(r"(typedef\s+)?(class|struct|union)\b", h) and "=" not in flat and "(" not in flat:
        return "scope"
    if "=" in flat or flat.endswith("return") or "(" not in flat:
        return "init"
    after = flat[flat.index("(") + 2:]
    if re.match(r"\s*((const|noexcept|override|final|&|&&)\s*)*:(?!:)", after):
        # Constructor: the body follows the last initialiser, a member's
        # brace initialiser follows its name.
        return "body" if flat.endswith((")", "}")) else "init"
    if flat.endswith(")") or QUALIFIER.search(flat) or "->" in after:
        return "body"
    return "init"


def function_name(head):
    h = ACCESS.sub("", head).strip()
    operators = []

    def hide(m):
        operators.append("operator" + re.sub(r"\s+", "", m.group(1)))
        return f"operator__{len(operators) - 1}__"

    h = OPERATOR.sub(hide, h)
    depth = 0
    for k, c in enumerate(h):
        if c == "<" and not h[:k].endswith("operator"):
            depth += 1
        elif c == ">" and depth > 0 and not h[:k].endswith("-"):
            depth -= 1
        elif c == "(" and depth == 0:
            m = re.search(r"[~\w:]+\s*$", h[:k])
            if m:
                return re.sub(r"operator__(\d+)__", lambda o: operators[int(o.group(1))], m.group(0).strip())
            break
    return h if re.fullmatch(r"[A-Z][A-Z0-9_]*", h) else "?"


def functions(path):
    """(name, first line, length in lines) of every function body in a file."""
    with open(path, encoding="utf-8", errors="replace") as f:
        code = blank(f.read())
    line_at = []
    line = 1
    for c in code:
        line_at.append(line)
        if c == "\n":
            line += 1
    line_at.append(line)

    found = []
    i, n = 0, len(code)
    head_start = 0
    scopes = 0
    while i < n:
        c = code[i]
        if c == ";":
            head_start = i + 1
        elif c == "}":
            scopes -= 1
            head_start = i + 1
        elif c == "{":
            head = code[head_start:i]
            kind = classify(head)
            if kind == "scope":
                scopes += 1
                head_start = i + 1
            elif kind == "body":
                end = match_brace(code, i)
                first = head_start + (len(head) - len(head.lstrip()))
                name = function_name(head)
                found.append((name, line_at[first], line_at[end - 1] - line_at[first] + 1))
                i = end
                head_start = end
                continue
            else:
                end = match_brace(code, i)
                after = code[end:end + 200].lstrip()[:1]
                if kind == "skip" or after not in (";", ",", "{", ")", ""):
                    # An initialiser is followed by its statement's end or
                    # the next initialiser; anything else ends a block.
                    head_start = end
                i = end
                continue
        i += 1
    return found


def has_reason(lines, first):
    """Whether the comment block directly above line `first` (1-based) gives a reason."""
    k = first - 2
    while k >= 0 and lines[k].lstrip().startswith("//"):
        if lines[k].lstrip().startswith(REASON):
            return True
        k -= 1
    return False


def library_files(paths):
    if paths:
        for p in paths:
            if os.path.isdir(p):
                for top, dirs, files in os.walk(p):
                    dirs.sort()
                    for name in sorted(files):
                        if name.endswith(SOURCE):
                            yield os.path.join(top, name)
            else:
                yield p
        return
    for folder in sorted(os.listdir(ROOT)):
        if folder in NOT_LIBRARY or folder.startswith(".") or not os.path.isdir(os.path.join(ROOT, folder)):
            continue
        for top, dirs, files in os.walk(os.path.join(ROOT, folder)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE):
                    yield os.path.join(top, name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--over", type=int, default=60, help="list functions longer than this (60)")
    parser.add_argument("--max100", action="store_true",
                        help='exit 1 when a function over 100 lines has no "// Long:" reason above it')
    parser.add_argument("--quiet", action="store_true", help="print the counts alone")
    parser.add_argument("paths", nargs="*", help="files or folders (default: the library)")
    args = parser.parse_args()

    rows = []
    for path in library_files(args.paths):
        rel = os.path.relpath(path, ROOT)
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.read().split("\n")
        for name, first, length in functions(path):
            if length > min(args.over, 60):
                rows.append((length, rel, first, name, has_reason(lines, first)))
    rows.sort(key=lambda r: (-r[0], r[1], r[2]))

    if not args.quiet:
        for length, rel, first, name, reason in rows:
            if length > args.over:
                print(f"{length:5d}  {rel}:{first}  {name}{'  (reason given)' if reason else ''}")
    over60 = sum(1 for r in rows if r[0] > 60)
    over100 = [r for r in rows if r[0] > 100]
    unexplained = [r for r in over100 if not r[4]]
    print(f"long-functions: {over60} over 60 lines, {len(over100)} over 100 "
          f"({len(unexplained)} without a \"{REASON}\" reason)")
    if args.max100 and unexplained:
        for length, rel, first, name, _ in unexplained:
            print(f"{rel}:{first}: {name} is {length} lines with no \"{REASON}\" reason above it",
                  file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
