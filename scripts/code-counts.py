#!/usr/bin/env python3
"""Counts the places in a source tree that the project's shape rules watch:

  - nested event loops: QEventLoop exec() calls, processEvents, exec() of a dialog or message box
    (QDialog, QMessageBox, QFileDialog ... and the tree's own classes derived from them), their
    static helpers that spin a loop inside (QMessageBox::information, QFileDialog::getOpenFileName,
    QInputDialog::getText ...) and loopLevel() polling, per folder of src/;
  - loose flags: `bool m_...` members (and std::atomic<bool> ones) in the headers of src/, per
    class;
  - source files over 500 lines (src/, tests/, bench/, fuzz/, scripts/);
  - C++ functions over 60 lines, from the first line of their signature to the closing brace.

    scripts/code-counts.py [TREE]      (TREE: the source tree; this script's own by default)

A reading of the text, not of the compiled program, so it has limits:
  - Comments, string and character literals and preprocessor lines are blanked before anything
    is counted; a digit separator (1'000) is taken for a character literal, and braces that only
    balance across #if branches throw the brace matching off.
  - An exec() call is classed by the declared type of its receiver, found in the same file (a
    local, a `new`, or a member in the paired header); the application's own exec() is the main
    loop, not a nested one, and is left out. A loop may run on another thread than the GUI's:
    that is not known here, so every site counts.
  - A function is a brace block at namespace or class scope whose head ends in a parameter list
    (after const, override, noexcept, `-> type` and a constructor's initialiser list); lambdas
    and local classes count as part of the function around them. A macro that expands to braces
    is not seen.
"""
import argparse
import collections
import os
import re
import sys

SOURCE_ENDINGS = (".cpp", ".h", ".py", ".sh")
SOURCE_FOLDERS = ("src", "tests", "bench", "fuzz", "scripts")
LONG_FILE = 500
LONG_FUNCTION = 60

DIALOG_TYPES = {"QDialog", "QMessageBox", "QFileDialog", "QInputDialog", "QColorDialog",
                "QFontDialog", "QProgressDialog", "QErrorMessage", "QWizard"}
STATIC_MODAL = re.compile(r"\b(QMessageBox::(?:information|warning|question|critical|about|aboutQt)"
                          r"|QFileDialog::get\w+|QInputDialog::get\w+|QColorDialog::getColor"
                          r"|QFontDialog::getFont)\s*\(")
EXEC_CALL = re.compile(r"(?:\b(\w+)\s*(?:\.|->)|\b(\w+)::)\s*exec\s*\(")
PROCESS_EVENTS = re.compile(r"\bprocessEvents\s*\(")
LOOP_LEVEL = re.compile(r"\bloopLevel\s*\(")
APPLICATION_TYPES = {"QApplication", "QGuiApplication", "QCoreApplication"}
# A class or struct with its name and, where it has them, its base classes.
CLASS_HEAD = re.compile(r"\b(?:class|struct)\s+(?:\w+\s+)?(\w+)\s*(?:final\s*)?(?::([^{;]*))?\{")


def blank_code(text):
    """`text` with comments, literals and preprocessor lines turned into spaces; line breaks kept
    so that positions keep their line numbers."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c in " \t":
            out.append(c)
            i += 1
            continue
        if line_start and c == "#":  # a preprocessor line, with its continuations
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
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c == "R" and re.match(r'R"([^(\s]{0,16})\(', text[i:i + 20]):
            delimiter = re.match(r'R"([^(\s]{0,16})\(', text[i:i + 20]).group(1)
            end = text.find(")" + delimiter + '"', i)
            end = n if end < 0 else end + len(delimiter) + 2
            out.append('"' + re.sub(r"[^\n]", " ", text[i + 1:end - 1]) + '"')
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def source_files(tree, folders=SOURCE_FOLDERS, endings=SOURCE_ENDINGS):
    for folder in folders:
        for root, dirs, files in os.walk(os.path.join(tree, folder)):
            dirs[:] = sorted(d for d in dirs if not d.startswith((".", "build")))
            for name in sorted(files):
                if name.endswith(endings):
                    yield os.path.relpath(os.path.join(root, name), tree)


def read(tree, path):
    with open(os.path.join(tree, path), encoding="utf-8", errors="replace") as f:
        return f.read()


def line_of(text, position):
    return text.count("\n", 0, position) + 1


# Nested event loops.

def dialog_classes(tree, headers):
    """The dialog types: Qt's and the tree's classes derived from one, however deep."""
    bases = {}
    for path in headers:
        for match in CLASS_HEAD.finditer(blank_code(read(tree, path))):
            bases[match.group(1)] = set(re.findall(r"\w+", match.group(2) or ""))
    found = set(DIALOG_TYPES)
    while True:
        more = {name for name, of in bases.items() if name not in found and of & found}
        if not more:
            return found
        found |= more


def declared_type(code, name):
    """The type `name` is declared with in `code`, or None."""
    match = re.search(r"\b%s\s*=\s*new\s+(\w+)" % re.escape(name), code)
    if match:
        return match.group(1)
    match = re.search(r"\b(\w+)\s*(?:<[^;>]*>)?\s*[*&]?\s*\b%s\s*[;({=,)]" % re.escape(name), code)
    return match.group(1) if match else None


def nested_loops(tree, files, dialogs):
    """Rows (folder, kind, path:line) for every site."""
    sites = []
    for path in files:
        if not path.endswith(".cpp") and not path.endswith(".h"):
            continue
        code = blank_code(read(tree, path))
        header = os.path.splitext(path)[0] + ".h"
        context = code
        if header != path and os.path.exists(os.path.join(tree, header)):
            context += "\n" + blank_code(read(tree, header))
        folder = os.path.dirname(path)
        for match in EXEC_CALL.finditer(code):
            receiver, scope = match.group(1), match.group(2)
            kind = None
            if scope:
                kind = ("QEventLoop exec" if scope == "QEventLoop"
                        else "dialog exec" if scope in dialogs else None)
            else:
                of = declared_type(context, receiver)
                if of == "QEventLoop":
                    kind = "QEventLoop exec"
                elif of in dialogs:
                    kind = "dialog exec"
                elif of in APPLICATION_TYPES or receiver in ("app", "application", "qApp"):
                    kind = None  # the main loop
                else:
                    kind = "exec of %s" % (of or "unknown")
            if kind:
                sites.append((folder, kind, "%s:%d" % (path, line_of(code, match.start()))))
        for pattern, kind in ((PROCESS_EVENTS, "processEvents"), (STATIC_MODAL, "static modal"),
                              (LOOP_LEVEL, "loopLevel")):
            for match in pattern.finditer(code):
                sites.append((folder, kind, "%s:%d" % (path, line_of(code, match.start()))))
    return sites


def print_nested_loops(sites):
    kinds = ["QEventLoop exec", "processEvents", "dialog exec", "static modal", "loopLevel"]
    kinds += sorted({kind for _, kind, _ in sites} - set(kinds))
    counts = collections.Counter((folder, kind) for folder, kind, _ in sites)
    folders = sorted({folder for folder, _, _ in sites})
    print("Nested event loops: %d" % len(sites))
    width = max([len(f) for f in folders] + [12])
    print("  %-*s %s  total" % (width, "folder", "  ".join(kinds)))
    for folder in folders:
        row = [counts[(folder, kind)] for kind in kinds]
        print("  %-*s %s  %5d" % (width, folder, "  ".join("%*d" % (len(k), c)
                                                         for k, c in zip(kinds, row)), sum(row)))
    row = [sum(counts[(f, kind)] for f in folders) for kind in kinds]
    print("  %-*s %s  %5d" % (width, "all", "  ".join("%*d" % (len(k), c)
                                                     for k, c in zip(kinds, row)), sum(row)))
    for folder, kind, where in sorted(sites):
        print("    %-18s %s" % (kind, where))


# Loose flags.

def class_scopes(code):
    """(name, start, end) of every class or struct body in `code`."""
    scopes = []
    for match in CLASS_HEAD.finditer(code):
        start = match.end() - 1
        depth, i = 0, start
        while i < len(code):
            if code[i] == "{":
                depth += 1
            elif code[i] == "}":
                depth -= 1
                if depth == 0:
                    break
            i += 1
        scopes.append((match.group(1), start, i))
    return scopes


FLAG = re.compile(r"(?:^|[;{}:]|\n)\s*(?:static\s+|mutable\s+|inline\s+)*"
                  r"(bool|std::atomic<\s*bool\s*>|std::atomic_bool)\s+(m_\w+)\s*(?:[=;{,])")


def loose_flags(tree, files):
    """{class: [(flag, atomic, path:line)]} for the headers of src/."""
    flags = collections.defaultdict(list)
    for path in files:
        if not (path.startswith("src" + os.sep) and path.endswith(".h")):
            continue
        code = blank_code(read(tree, path))
        scopes = class_scopes(code)
        for match in FLAG.finditer(code):
            at = match.start(2)
            inner = [s for s in scopes if s[1] < at < s[2]]
            owner = min(inner, key=lambda s: s[2] - s[1])[0] if inner else "(no class)"
            flags[owner].append((match.group(2), match.group(1) != "bool",
                                 "%s:%d" % (path, line_of(code, at))))
    return flags


def print_loose_flags(flags):
    print("Loose bool flags (bool m_... members in the headers of src): %d in %d classes"
          % (sum(len(f) for f in flags.values()), len(flags)))
    for owner in sorted(flags, key=lambda o: (-len(flags[o]), o)):
        where = flags[owner][0][2].rsplit(":", 1)[0]
        names = ", ".join(name + (" (atomic)" if atomic else "")
                          for name, atomic, _ in flags[owner])
        print("  %3d %-28s %s: %s" % (len(flags[owner]), owner, where, names))


# Long files and long functions.

def long_files(tree, files):
    found = []
    for path in files:
        lines = read(tree, path).count("\n")
        if lines > LONG_FILE:
            found.append((lines, path))
    return sorted(found, reverse=True)


CONTROL_HEAD = re.compile(r"^\s*(if|for|while|switch|catch|do|else|try)\b")
TYPE_HEAD = re.compile(r"\b(class|struct|union|enum|namespace|extern)\b")
ACCESS = re.compile(r"\b(public|protected|private|signals|slots|Q_SIGNALS|Q_SLOTS)\s*:(?!:)")
QUALIFIERS = re.compile(r"(\s*(const|override|final|noexcept(\s*\([^()]*\))?|volatile|mutable|&&|&"
                        r"|->\s*[\w:<>,\s*&]+))*\s*$")


def matching(code, i, opening, closing):
    """The position of the bracket that closes the one at `i`."""
    depth = 0
    while i < len(code):
        if code[i] == opening:
            depth += 1
        elif code[i] == closing:
            depth -= 1
            if depth == 0:
                return i
        i += 1
    return len(code)


def without_initialisers(head):
    """A constructor's head without its initialiser list (`) : a(1), b{2}`)."""
    depth = 0
    for i, c in enumerate(head):
        if c in "(<[":
            depth += 1
        elif c in ")>]":
            depth -= 1
        elif c == ":" and depth == 0 and head[i - 1:i + 2].count(":") == 1:
            before = head[:i].rstrip()
            if before.endswith(")") or re.search(r"\)\s*(noexcept|const)\s*$", before):
                return before
    return head


def function_name(head):
    """The qualified name before the parameter list that ends `head`."""
    head = QUALIFIERS.sub("", head)
    if not head.endswith(")"):
        return None
    depth = 0
    for i in range(len(head) - 1, -1, -1):
        if head[i] == ")":
            depth += 1
        elif head[i] == "(":
            depth -= 1
            if depth == 0:
                name = re.search(r"(~?[\w:]*(?:operator\s*\S+?|\w+)|\])\s*$", head[:i])
                if not name:
                    return None
                return "(lambda)" if name.group(1) == "]" else name.group(1)
    return None


def functions(code):
    """(name, first line, last line) of every function body at namespace or class scope."""
    found = []
    head_start = 0
    i = 0
    while i < len(code):
        c = code[i]
        if c in ";}":
            head_start = i + 1
        elif c == "{":
            head = code[head_start:i]
            access = list(ACCESS.finditer(head))
            if access:
                head_start += access[-1].end()
                head = code[head_start:i]
            stripped = head.strip()
            signature = without_initialisers(stripped)
            if signature != stripped and re.search(r"[\w>]\s*$", stripped):
                # A member's brace initialiser inside a constructor's initialiser list.
                i = matching(code, i, "{", "}") + 1
                continue
            name = None
            if not CONTROL_HEAD.match(stripped) and not stripped.endswith("="):
                name = function_name(signature)
            end = matching(code, i, "{", "}")
            if name:
                first = head_start + len(head) - len(head.lstrip())
                found.append((name, line_of(code, first), line_of(code, end)))
                i = end + 1
                head_start = i
                continue
            if TYPE_HEAD.search(stripped):  # a class or namespace: look inside it
                head_start = i + 1
            else:  # an initialiser or other block outside a function: pass it by
                i = end + 1
                head_start = i
                continue
        i += 1
    return found


def long_functions(tree, files):
    found = []
    for path in files:
        if not path.endswith((".cpp", ".h")):
            continue
        for name, first, last in functions(blank_code(read(tree, path))):
            if last - first + 1 > LONG_FUNCTION:
                found.append((last - first + 1, "%s:%d" % (path, first), name))
    return sorted(found, key=lambda f: (-f[0], f[1]))


def by_top_folder(paths):
    """How many of `paths` each top folder holds, as " (src 3, tests 1)"."""
    counts = collections.Counter(p.split(os.sep)[0] for p in paths)
    said = ", ".join("%s %d" % (folder, counts[folder]) for folder in SOURCE_FOLDERS
                     if counts[folder])
    return " (%s)" % said if said else ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("tree", nargs="?",
                        default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    tree = parser.parse_args().tree
    if not os.path.isdir(os.path.join(tree, "src")):
        print("code-counts: %s has no src folder" % tree, file=sys.stderr)
        return 2
    files = list(source_files(tree))
    headers = [p for p in files if p.startswith("src" + os.sep) and p.endswith(".h")]
    print_nested_loops(nested_loops(tree, [p for p in files if p.startswith("src" + os.sep)],
                                    dialog_classes(tree, headers)))
    print()
    print_loose_flags(loose_flags(tree, files))
    print()
    big = long_files(tree, files)
    print("Files over %d lines: %d%s" % (LONG_FILE, len(big), by_top_folder(p for _, p in big)))
    for lines, path in big:
        print("  %5d %s" % (lines, path))
    print()
    long = long_functions(tree, files)
    print("Functions over %d lines: %d%s" % (LONG_FUNCTION, len(long),
                                           by_top_folder(w for _, w, _ in long)))
    for lines, where, name in long:
        print("  %5d %-50s %s" % (lines, where, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
