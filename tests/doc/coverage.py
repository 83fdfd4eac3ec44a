#!/usr/bin/env python3
"""Checks that the manual names everything Zem accepts.

The names are read from the interpreter's own tables, so a primitive symbol,
system variable, system function, reserved function or system command added
there without a mention in docs/*.md fails this test:

- the primitive symbols: the lexer's symbol reader (src/parser/symbols.cpp);
- the system variables: the names the workspace set-up enters
  (src/parser/tables.cpp), and the reserved functions beside them;
- the system functions: the quad-name table (src/parser/resolve.cpp);
- the system commands: the command table (src/system/commands.cpp).

A symbol counts as documented when it appears in backquotes in the manual,
on its own or inside a longer example; a name when its written form ([]IO,
)SAVE, key) appears in backquotes.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def source(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        return f.read()


def symbols():
    text = source("src/parser/symbols.cpp")
    body = text[text.index("SymbolOf("):text.index("GetAsymb(")]
    found = set()
    # The characters with several two-character forms: case 'c': ... if (d == 'x')
    for case in re.finditer(r"case '(\\?.)':(.*?)(?=case '|default:)", body, re.S):
        c = case.group(1).replace("\\\\", "\\")
        found.add(c)
        for d in re.findall(r"d == '(\\?.)'", case.group(2)):
            found.add(c + d.replace("\\\\", "\\"))
    # The characters whose only two-character form adds a ".": {c, dy, mo, dotdy, dotmo}
    for c, dy, mo in re.findall(r"\{'(\\?.)', *(-?\d+), *(-?\d+), *-?\d+, *-?\d+\}", body):
        c = c.replace("\\\\", "\\")
        if int(dy) >= 0 or int(mo) >= 0:
            found.add(c)
        found.add(c + ".")
    # "[" alone is indexing and "[)" the second print form: both are syntax,
    # documented with the values; "[]" is the system names' prefix.
    return found


def system_variables():
    text = source("src/parser/tables.cpp")
    sysnames = re.search(r"sysname\[\d+\] *= *\{([^}]*)\}", text).group(1)
    reserved = re.search(r"kname\[NRESERVED\] *= *\{([^}]*)\}", text).group(1)
    return re.findall(r'"([^"]+)"', sysnames), re.findall(r'"([^"]+)"', reserved)


def system_functions():
    text = source("src/parser/resolve.cpp")
    table = text[text.index("quads[] = {"):]
    table = table[:table.index("};")]
    return ["[]" + n for n in re.findall(r'\{"([^"]+)", *FC_QD_', table)]


def commands():
    text = source("src/system/commands.cpp")
    table = text[text.index("commands[] = {"):]
    table = table[:table.index("};")]
    return [")" + n for n in re.findall(r'\{"([A-Z]+)", *(?:true|false)', table)]


def manual_code():
    """Every backquoted span and every line of an example of the manual."""
    spans = []
    docs = os.path.join(ROOT, "docs")
    for name in sorted(os.listdir(docs)):
        if name.endswith(".md"):
            with open(os.path.join(docs, name), encoding="utf-8") as f:
                text = f.read()
            parts = text.split("```")
            for i, part in enumerate(parts):
                if i % 2:
                    spans += part.split("\n")[1:]
                else:
                    spans += re.findall(r"``? ?(.+?) ?``?", part)
    return spans


def main():
    spans = manual_code()
    joined = "\n".join(spans)
    missing = []
    syms = symbols()
    variables, reserved = system_variables()
    quads, cmds = system_functions(), commands()
    if len(syms) < 40 or len(variables) < 6 or len(quads) < 10 or len(cmds) < 20 or len(reserved) < 9:
        sys.exit("coverage: the tables were not read from the source; update this test")
    for s in sorted(syms):
        if s not in joined:
            missing.append("symbol " + s)
    for name in variables + quads:
        if not re.search(re.escape(name) + r"(?![A-Za-z0-9_])", joined):
            missing.append("system name " + name)
    for name in reserved:
        if name not in spans and not re.search(r"(?<![A-Za-z0-9_])" + name + r"(?![A-Za-z0-9_])", joined):
            missing.append("reserved function " + name)
    for name in cmds:
        if not re.search(re.escape(name) + r"(?![A-Za-z])", joined, re.I):
            missing.append("system command " + name)
    for m in missing:
        print("not in the manual: " + m)
    print(f"{len(syms)} symbols, {len(variables) + len(quads)} system names, "
          f"{len(reserved)} reserved functions, {len(cmds)} commands; {len(missing)} missing")
    sys.exit(1 if missing else 0)


if __name__ == "__main__":
    main()
