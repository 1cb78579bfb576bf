#!/usr/bin/env python3
"""Tests of check_calls.py over small relay traces (data/check_calls/) and
PE files made here."""

import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import check_calls  # noqa: E402

DATA = os.path.join(HERE, "data", "check_calls")
TABLE = os.path.join(DATA, "table.csv")


def make_pe(path, image_base=0x400000, size_of_image=0x20000, exports=None, imports=None):
    """A PE32 file with one section holding an export and an import
    directory. exports: (module name, {function: forwarder or None});
    imports: {dll: [function, ...]}."""
    sec_rva, sec_raw = 0x1000, 0x200
    blob = bytearray()

    def put(data, align=4):
        while len(blob) % align:
            blob.append(0)
        rva = sec_rva + len(blob)
        blob.extend(data)
        return rva

    def cstr(text):
        return put(text.encode() + b"\0", 1)

    dirs = [(0, 0), (0, 0)]
    if exports:
        module, funcs = exports
        names = sorted(funcs)
        # The directory, then its forwarder texts inside its own range.
        start = put(bytes(40))
        fwd_rvas = {n: cstr(funcs[n]) for n in names if funcs[n]}
        end = sec_rva + len(blob)
        name_rva = cstr(module)
        code = put(b"\xc3" * 4)
        func_table = put(b"".join(struct.pack("<I", fwd_rvas.get(n, code)) for n in names))
        name_ptrs = [cstr(n) for n in names]
        name_table = put(b"".join(struct.pack("<I", r) for r in name_ptrs))
        ord_table = put(b"".join(struct.pack("<H", i) for i in range(len(names))))
        struct.pack_into("<IIHHIIIIIII", blob, start - sec_rva, 0, 0, 0, 0, name_rva, 1,
                         len(names), len(names), func_table, name_table, ord_table)
        dirs[0] = (start, end - start)
    if imports:
        descs = put(bytes(20 * (len(imports) + 1)))
        for i, (dll, funcs) in enumerate(sorted(imports.items())):
            hints = [put(b"\0\0" + f.encode() + b"\0", 2) for f in funcs]
            thunks = put(b"".join(struct.pack("<I", h) for h in hints) + bytes(4))
            iat = put(b"".join(struct.pack("<I", h) for h in hints) + bytes(4))
            struct.pack_into("<IIIII", blob, descs - sec_rva + 20 * i, thunks, 0, 0, cstr(dll), iat)
        dirs[1] = (descs, 20 * (len(imports) + 1))
    while len(blob) % 0x200:
        blob.append(0)

    head = bytearray(sec_raw)
    head[0:2] = b"MZ"
    struct.pack_into("<I", head, 0x3C, 0x40)
    head[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", head, 0x44, 0x14C, 1, 0, 0, 0, 224, 0x102)
    opt = 0x58
    struct.pack_into("<H", head, opt, 0x10B)
    struct.pack_into("<I", head, opt + 28, image_base)
    struct.pack_into("<I", head, opt + 56, size_of_image)
    struct.pack_into("<I", head, opt + 92, 16)
    for i, (rva, size) in enumerate(dirs):
        struct.pack_into("<II", head, opt + 96 + 8 * i, rva, size)
    struct.pack_into("<8sIIIIIIHHI", head, opt + 224, b".data", len(blob), sec_rva, len(blob), sec_raw,
                     0, 0, 0, 0, 0xC0000040)
    with open(path, "wb") as f:
        f.write(head + blob)


class CheckCallsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def run_check(self, log, gen, *extra, exe="dialwave.exe", image="00400000:00010000"):
        args = ["--log", os.path.join(DATA, log), "--gen", gen, "--table", TABLE, "--exe", exe]
        if image:
            args += ["--image", image]
        out, err = io.StringIO(), io.StringIO()
        with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
            rc = check_calls.main(args + list(extra))
        return rc, out.getvalue() + err.getvalue()

    def failures(self, output):
        return sorted(line for line in output.splitlines() if line.startswith("FAIL "))

    def test_a_stub_called_from_the_program_fails_on_98(self):
        rc, out = self.run_check("calls.log", "win98")
        self.assertEqual(rc, 1, out)
        # One call from the main thread; those from Wine's modules, the
        # argument that looks like a return address and the other process
        # are not the program's.
        self.assertEqual(self.failures(out), ["FAIL win98: user32.CreateWindowExW: win9x=stub: exported, but fails (1 calls)"])

    def test_the_same_stub_fails_on_me(self):
        rc, out = self.run_check("calls.log", "winme")
        self.assertEqual(rc, 1, out)
        self.assertIn("user32.CreateWindowExW", out)

    def test_the_same_calls_pass_on_xp_and_2000(self):
        for gen in ("winxp", "win2k"):
            rc, out = self.run_check("calls.log", gen)
            self.assertEqual(rc, 0, out)
            self.assertIn(f"check_calls {gen}: ok", out)

    def test_calls_from_every_thread_of_the_program_count(self):
        rc, out = self.run_check("calls.log", "winxp", "--report", os.path.join(self.tmp.name, "r.txt"))
        with open(os.path.join(self.tmp.name, "r.txt")) as f:
            report = f.read().splitlines()
        self.assertIn("       1 user32.MessageBoxW", report)
        self.assertIn("       1 user32.CreateWindowExW", report)
        self.assertIn("3 calls of 3 functions", out)

    def test_another_process_is_ignored_even_at_the_same_addresses(self):
        rc, out = self.run_check("calls.log", "winxp")
        self.assertNotIn("NoSuchFunction", out)
        rc, out = self.run_check("not_loaded.log", "winxp")
        self.assertEqual(rc, 2, out)
        self.assertIn("dialwave.exe was never loaded", out)

    def test_a_function_not_in_the_table_fails_everywhere(self):
        for gen in ("win98", "winxp"):
            rc, out = self.run_check("unknown.log", gen)
            self.assertEqual(rc, 1, out)
            self.assertEqual(self.failures(out), [
                f"FAIL {gen}: comctl32.17: not in the table (1 calls)",
                f"FAIL {gen}: kernel32.GetNativeSystemInfo: not in the table (1 calls)"])

    def test_first_systems_per_generation(self):
        expected = {
            "win98": ["kernel32.GetTickCount64", "shell32.SHGetFolderPathAndSubDirA"],
            "winme": ["kernel32.GetTickCount64"],
            "win2k": ["kernel32.GetTickCount64", "shell32.SHGetFolderPathAndSubDirA"],
            "winxp": ["kernel32.GetTickCount64"],
        }
        for gen, names in expected.items():
            rc, out = self.run_check("later.log", gen)
            self.assertEqual(rc, 1, out)
            self.assertEqual([f.split(": ")[1] for f in self.failures(out)], sorted(names), out)
        self.assertIn("looked up at run time (2 calls)", out)

    def test_a_trace_without_process_ids_is_refused(self):
        rc, out = self.run_check("no_pid.log", "win98")
        self.assertEqual(rc, 2, out)
        self.assertIn("+pid", out)

    def test_the_image_is_where_the_program_was_loaded(self):
        exe = os.path.join(self.tmp.name, "dialwave.exe")
        make_pe(exe, image_base=0x400000, size_of_image=0x10000)
        rc, out = self.run_check("relocated.log", "win98", exe=exe, image=None)
        self.assertEqual(rc, 0, out)
        # Loaded at 10000000: its own calls are there, the one at 00402f10 is
        # not the program's, and 10010000 lies just past its 64 KB.
        self.assertIn("1 calls of 1 functions", out)
        self.assertIn("10000000-10010000", out)
        rc, out = self.run_check("relocated.log", "win98", exe=exe, image="10000000:00020000")
        self.assertEqual(rc, 1, out)
        self.assertIn("FAIL win98: user32.CreateWindowExW", out)

    def test_a_forwarded_import_is_judged_by_the_name_the_program_used(self):
        system = os.path.join(self.tmp.name, "system32")
        os.mkdir(system)
        make_pe(os.path.join(system, "kernel32.dll"), exports=("KERNEL32.dll", {
            "InitializeCriticalSection": "NTDLL.RtlInitializeCriticalSection",
            "GetSystemTimes": None}))
        exe = os.path.join(self.tmp.name, "dialwave.exe")
        make_pe(exe, imports={"KERNEL32.dll": ["InitializeCriticalSection", "GetSystemTimes"]})
        log = os.path.join(self.tmp.name, "fwd.log")
        with open(log, "w") as f:
            f.write('0020:0024:trace:loaddll:build_module Loaded L"Z:\\\\t\\\\dialwave.exe" at 00400000: native\n'
                    "0020:0024:Call ntdll.RtlInitializeCriticalSection(0040c000) ret=00401000\n")
        rc, out = self.run_check(log, "win98", "--system-dir", system, exe=exe, image=None)
        self.assertEqual(rc, 0, out)
        # The same without the system folder: an unknown ntdll function.
        rc, out = self.run_check(log, "win98", exe=exe, image=None)
        self.assertIn("FAIL win98: ntdll.RtlInitializeCriticalSection: not in the table", out)
        # Excluded from the trace: what the program imports is judged anyway.
        rc, out = self.run_check(log, "win98", "--system-dir", system, "--excluded",
                                 "ntdll.RtlEnterCriticalSection;kernel32.GetSystemTimes", exe=exe, image=None)
        self.assertEqual(rc, 1, out)
        self.assertEqual(self.failures(out), [
            "FAIL win98: kernel32.GetSystemTimes (imported; not traced, as kernel32.GetSystemTimes is excluded): "
            "win9x=no: absent (no traced calls)"])
        rc, out = self.run_check(log, "winxp", "--system-dir", system, "--excluded",
                                 "ntdll.RtlInitializeCriticalSection;kernel32.GetSystemTimes", exe=exe, image=None)
        self.assertEqual(rc, 0, out)

    def test_pe_header_values(self):
        exe = os.path.join(self.tmp.name, "x.exe")
        make_pe(exe, image_base=0x10000000, size_of_image=0x34000, imports={"USER32.dll": ["CreateWindowExW"]})
        pe = check_calls.PeFile(exe)
        self.assertEqual((pe.image_base, pe.size_of_image), (0x10000000, 0x34000))
        self.assertEqual(pe.imports(), {"user32": {"CreateWindowExW"}})

    def test_an_unknown_table_value_fails(self):
        table = os.path.join(self.tmp.name, "t.csv")
        with open(table, "w") as f:
            f.write("dll,function,win9x,nt,source\nuser32,CreateWindowExW,Win98,NT3.1,import\n")
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            rc = check_calls.main(["--log", os.path.join(DATA, "calls.log"), "--gen", "win98", "--table", table,
                                   "--exe", "dialwave.exe", "--image", "00400000:00010000"])
        self.assertEqual(rc, 1)
        self.assertIn("a value this check does not know", out.getvalue())


if __name__ == "__main__":
    unittest.main()
