#!/usr/bin/env python3
"""Checks a Wine relay trace of the program against the table of Windows
functions: every function the program itself called must work on the
Windows generation the trace was taken on.

    check_calls.py --log TRACE --gen win98 --table docs/windows-api.csv \
                   --exe dialwave.exe [--system-dir DIR] [--image BASE:SIZE]
                   [--report FILE]

The trace is Wine's stderr with WINEDEBUG=+pid,+relay,+loaddll. Exit status:
0 all calls fine, 1 a call that fails on that generation (or a function the
table does not know), 2 the trace or the table cannot be used.
"""

import argparse
import collections
import csv
import os
import re
import struct
import sys

W9X_ORDER = ["95", "98", "98SE", "ME"]
NT_ORDER = ["NT3.1", "NT3.5", "NT3.51", "NT4", "2000", "XP", "2003", "Vista",
            "7", "8", "8.1", "10", "11"]
# Per generation: which table column decides, and the newest system that
# counts as present there. Wine's "win98" reports 98 SE's build (2222),
# and 98 SE is the target: the first edition's C runtime is a Visual C++ 5
# one, which the table does not vouch for.
GENERATIONS = {
    "win98": ("win9x", "98SE"),
    "winme": ("win9x", "ME"),
    "win2k": ("nt", "2000"),
    "winxp": ("nt", "XP"),
}

# "0020:0024:Call KERNEL32.GetVersionExA(0032fd00) ret=00401a2b"; the
# arguments may hold anything, the return address ends the line.
CALL_RE = re.compile(rb"^([0-9a-f]{4,8}):([0-9a-f]{4,8}):Call ([^ (]+)\((.*)\) ret=([0-9a-f]+)\s*$")
NO_PID_CALL_RE = re.compile(rb"^([0-9a-f]{4,8}):Call [^ (]+\.[^ (]+\(")
# 'Loaded L"Z:\\...\\dialwave.exe" at 00400000: native'
LOADED_RE = re.compile(rb'^([0-9a-f]{4,8}):([0-9a-f]{4,8}):trace:loaddll:\S+ Loaded L"(.*)" at ([0-9A-Fa-f]+):')


class Unusable(Exception):
    """The trace, the table or a program file cannot be used."""


def norm_dll(name):
    name = name.strip().lower()
    for ext in (".dll", ".drv", ".exe", ".sys"):
        if name.endswith(ext):
            return name[: -len(ext)]
    return name


# --- PE files --------------------------------------------------------------

class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise Unusable(f"{path}: not a PE file")
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise Unusable(f"{path}: not a PE file")
        nsections, = struct.unpack_from("<H", d, pe + 6)
        opt_size, = struct.unpack_from("<H", d, pe + 20)
        opt = pe + 24
        magic, = struct.unpack_from("<H", d, opt)
        if magic == 0x10B:
            self.image_base, = struct.unpack_from("<I", d, opt + 28)
            dirs = opt + 96
        elif magic == 0x20B:
            self.image_base, = struct.unpack_from("<Q", d, opt + 24)
            dirs = opt + 112
        else:
            raise Unusable(f"{path}: unknown optional header")
        self.size_of_image, = struct.unpack_from("<I", d, opt + 56)
        self.pe32plus = magic == 0x20B
        self.dirs = [struct.unpack_from("<II", d, dirs + 8 * i) for i in range(2)]
        self.sections = []
        sec = opt + opt_size
        for i in range(nsections):
            vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", d, sec + 40 * i + 8)
            self.sections.append((va, max(vsize, rawsize), rawptr))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise Unusable(f"RVA {rva:#x} outside the sections")

    def cstr(self, rva):
        o = self.off(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("latin-1")

    def exports(self):
        """(module name, {function: forwarder text or None})."""
        rva, size = self.dirs[0]
        if not rva:
            return "", {}
        o = self.off(rva)
        name_rva, _, nfuncs, nnames, funcs, names, ords = struct.unpack_from("<IIIIIII", self.data, o + 12)
        result = {}
        for i in range(nnames):
            fname = self.cstr(struct.unpack_from("<I", self.data, self.off(names) + 4 * i)[0])
            ordinal, = struct.unpack_from("<H", self.data, self.off(ords) + 2 * i)
            target, = struct.unpack_from("<I", self.data, self.off(funcs) + 4 * ordinal)
            result[fname] = self.cstr(target) if rva <= target < rva + size else None
        return self.cstr(name_rva), result

    def imports(self):
        """{dll: set of function names} (ordinals as "#N")."""
        rva, _ = self.dirs[1]
        result = {}
        if not rva:
            return result
        o = self.off(rva)
        thunk_size, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, o)
            if not name:
                break
            funcs = result.setdefault(norm_dll(self.cstr(name)), set())
            t = self.off(lookup or first)
            while True:
                entry, = struct.unpack_from("<Q" if self.pe32plus else "<I", self.data, t)
                if not entry:
                    break
                funcs.add(f"#{entry & 0xFFFF}" if entry & flag else self.cstr((entry & 0x7FFFFFFF) + 2))
                t += thunk_size
            o += 20
        return result


# --- The table -------------------------------------------------------------

Entry = collections.namedtuple("Entry", "dll function win9x nt source")


def load_table(path):
    table = {}
    with open(path, newline="", encoding="utf-8") as f:
        reader = csv.DictReader(f)
        missing = {"dll", "function", "win9x", "nt"} - set(reader.fieldnames or [])
        if missing:
            raise Unusable(f"{path}: no column {', '.join(sorted(missing))}")
        for row in reader:
            if not (row.get("dll") or "").strip():
                continue
            e = Entry(norm_dll(row["dll"]), row["function"].strip(), (row["win9x"] or "").strip(),
                      (row["nt"] or "").strip(), (row.get("source") or "").strip())
            table[(e.dll, e.function)] = e
    if not table:
        raise Unusable(f"{path}: no functions")
    return table


def verdict(entry, gen):
    """Why the function does not work on that generation, or None."""
    column, newest = GENERATIONS[gen]
    value = getattr(entry, column)
    order = W9X_ORDER if column == "win9x" else NT_ORDER
    if value.lower() == "stub":
        return f"{column}=stub: exported, but fails"
    if value.lower() == "no":
        return f"{column}=no: absent"
    if value not in order:
        return f"{column}={value!r}, a value this check does not know"
    if order.index(value) > order.index(newest):
        return f"{column}={value}: first in a later system than {gen}"
    return None


# --- The trace -------------------------------------------------------------

def forwarder_map(system_dir, dlls):
    """{(target dll, target function): [(dll, function), ...]} for the
    exports of those DLLs that are forwarded: a relay trace names the
    target (kernel32's InitializeCriticalSection shows as
    ntdll.RtlInitializeCriticalSection)."""
    result = collections.defaultdict(list)
    if not system_dir:
        return result
    for dll in sorted(dlls):
        for ext in (".dll", ".drv", ".exe"):
            path = os.path.join(system_dir, dll + ext)
            if os.path.isfile(path):
                break
        else:
            continue
        try:
            _, exports = PeFile(path).exports()
        except (Unusable, struct.error, ValueError):
            continue
        for name, fwd in exports.items():
            if fwd and "." in fwd:
                tdll, tfunc = fwd.rsplit(".", 1)
                result[(norm_dll(tdll), tfunc)].append((dll, name))
    return result


def scan(log, exe_name, image_size, image_override):
    """Counts the calls the program's processes made from inside its
    image: ({(dll, function): count}, {pid: (base, end)})."""
    exe_name = exe_name.lower().encode()
    images = {}
    counts = collections.Counter()
    saw_pid_lines = False
    with open(log, "rb") as f:
        for line in f:
            if b":Call " in line:
                m = CALL_RE.match(line)
                if not m:
                    if NO_PID_CALL_RE.match(line):
                        raise Unusable(f"{log}: relay lines without process ids (add +pid to WINEDEBUG)")
                    continue  # "Call PE DLL", "Call window proc", ...
                saw_pid_lines = True
                image = images.get(m.group(1))
                if not image:
                    continue
                ret = int(m.group(5), 16)
                if image[0] <= ret < image[1]:
                    dll, _, func = m.group(3).decode("latin-1").partition(".")
                    counts[(norm_dll(dll), func)] += 1
            elif b"trace:loaddll:" in line:
                m = LOADED_RE.match(line)
                if not m:
                    continue
                path = m.group(3).replace(b"\\\\", b"\\").lower()
                if path.rsplit(b"\\", 1)[-1] != exe_name:
                    continue
                if image_override:
                    base, size = image_override
                else:
                    base, size = int(m.group(4), 16), image_size
                images[m.group(1)] = (base, base + size)
    if not images:
        raise Unusable(f"{log}: {exe_name.decode()} was never loaded (run with WINEDEBUG=+pid,+relay,+loaddll)")
    if not saw_pid_lines:
        raise Unusable(f"{log}: no relay calls at all")
    return counts, {p.decode(): r for p, r in images.items()}


def hidden_imports(excluded, imported, forwards):
    """The program's imports whose calls an excluded function would hide:
    the excluded function itself, or the target it is forwarded to."""
    result = []
    for item in filter(None, (i.strip() for i in excluded.split(";"))):
        dll, _, func = item.rpartition(".")
        target = (norm_dll(dll), func)
        for name in [target] + forwards.get(target, []):
            if name[1] in imported.get(name[0], ()):
                result.append((".".join(name), item))
    return result


def resolve(traced, table, forwards, imported):
    """The name the program used for a traced (dll, function), and the
    table's entry for it (None: not in the table)."""
    if traced in table:
        return traced, table[traced]
    sources = forwards.get(traced, [])
    bound = [s for s in sources if s[1] in imported.get(s[0], ())]
    known = [s for s in bound or sources if s in table]
    if known:
        return sorted(known)[0], table[sorted(known)[0]]
    return (sorted(bound)[0] if bound else traced), None


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--log", required=True, help="Wine's stderr with +pid,+relay,+loaddll")
    ap.add_argument("--gen", required=True, choices=sorted(GENERATIONS))
    ap.add_argument("--table", required=True, help="dll,function,win9x,nt,source")
    ap.add_argument("--exe", required=True, help="the program as it ran (name, size, imports)")
    ap.add_argument("--image", help="BASE:SIZE in hex instead of the loaded base and the PE size")
    ap.add_argument("--system-dir", help="the prefix's system32: forwarded exports")
    ap.add_argument("--report", help="every function called, with counts and verdicts")
    ap.add_argument("--excluded", default="", help="Wine's RelayExclude list the trace was taken with")
    args = ap.parse_args(argv)

    try:
        table = load_table(args.table)
        override = None
        if args.image:
            base, size = (int(x, 16) for x in args.image.split(":"))
            override = (base, size)
        imported, size = {}, 0
        if os.path.isfile(args.exe):
            pe = PeFile(args.exe)
            imported, size = pe.imports(), pe.size_of_image
        elif not override:
            raise Unusable(f"{args.exe}: not found (give --image BASE:SIZE)")
        forwards = forwarder_map(args.system_dir, {d for d, _ in table} | set(imported))
        hidden = hidden_imports(args.excluded, imported, forwards)
        counts, images = scan(args.log, os.path.basename(args.exe), size, override)
    except (Unusable, OSError, ValueError, struct.error) as e:
        print(f"check_calls: {e}", file=sys.stderr)
        return 2

    bad = collections.Counter()
    reasons = {}
    lines = []
    # Imported but kept out of the trace: judged as if called.
    for name, target in hidden:
        dll, _, func = name.partition(".")
        entry = table.get((dll, func))
        why = verdict(entry, args.gen) if entry else "not in the table"
        key = f"{name} (imported; not traced, as {target} is excluded)"
        lines.append(f"{'-':>8} {key}{'  FAIL: ' + why if why else ''}")
        if why:
            reasons[key] = why
    for traced, n in sorted(counts.items()):
        name, entry = resolve(traced, table, forwards, imported)
        key = ".".join(name)
        if name != traced:
            key += f" (traced as {'.'.join(traced)})"
        if entry is None:
            why = "not in the table"
        else:
            why = verdict(entry, args.gen)
            if why and entry.source.lower().startswith("lookup"):
                why += "; looked up at run time"
        lines.append(f"{n:8d} {key}{'  FAIL: ' + why if why else ''}")
        if why:
            bad[key] += n
            reasons[key] = why
    if args.report:
        with open(args.report, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    where = ", ".join(f"pid {p} {b:08x}-{e:08x}" for p, (b, e) in sorted(images.items()))
    exe = os.path.basename(args.exe)
    print(f"check_calls {args.gen}: {sum(counts.values())} calls of {len(counts)} functions "
          f"from {exe} ({where})")
    if not counts:
        print(f"check_calls {args.gen}: FAIL: no calls from {exe} in the trace")
        return 1
    for key in sorted(reasons, key=lambda k: (-bad[k], k)):
        print(f"FAIL {args.gen}: {key}: {reasons[key]} ({bad[key] or 'no traced'} calls)")
    if reasons:
        print(f"check_calls {args.gen}: {len(reasons)} functions do not work on {args.gen}")
        return 1
    print(f"check_calls {args.gen}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
