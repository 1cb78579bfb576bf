#!/usr/bin/env python3
"""Self-test of check_imports.py on saved objdump output, and of the table."""

import contextlib
import csv
import io
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "fixtures")
TABLE = os.path.join(FIXTURES, "table.csv")
REAL_TABLE = os.path.join(HERE, "..", "..", "docs", "windows-api.csv")
sys.path.insert(0, HERE)

import check_imports  # noqa: E402


def run(*fixtures, table=TABLE):
    args = ["--table", table]
    for f in fixtures:
        args += ["--objdump-output", os.path.join(FIXTURES, f)]
    out, err = io.StringIO(), io.StringIO()
    with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
        rc = check_imports.main(args)
    return rc, out.getvalue(), err.getvalue()


class CheckTest(unittest.TestCase):
    def test_clean_exe_passes_with_one_ok_line(self):
        rc, out, _ = run("clean.exe.txt")
        self.assertEqual(rc, 0, out)
        self.assertEqual(out.splitlines(), [
            "OK clean.exe.txt: 3 imports from 2 DLLs, all present on 98SE, ME, 2000, XP"])

    def test_stub_on_9x_loads_so_passes(self):
        rc, out, _ = run("clean.exe.txt")
        self.assertEqual(rc, 0)
        self.assertNotIn("CreateFileW", out)

    def test_unknown_import_fails(self):
        rc, out, _ = run("unknown.exe.txt")
        self.assertEqual(rc, 1)
        self.assertIn("unknown.exe.txt: KERNEL32.DLL!NotInTheTable: import not in the table", out)
        self.assertNotIn("CloseHandle", out)

    def test_vista_only_import_fails_everywhere(self):
        rc, out, _ = run("vista.exe.txt")
        self.assertEqual(rc, 1)
        self.assertIn("vista.exe.txt: KERNEL32.DLL!GetTickCount64: missing on 98SE, ME, 2000, XP",
                      out)

    def test_import_absent_on_9x_fails_only_there(self):
        rc, out, _ = run("no9x.exe.txt")  # its DLL name is lower case
        self.assertEqual(rc, 1)
        self.assertIn("KERNEL32.DLL!GetFileSizeEx: missing on 98SE, ME\n", out)

    def test_first_release_compared_per_system(self):
        rc, out, _ = run("releases.exe.txt")
        self.assertEqual(rc, 1)
        lines = [l for l in out.splitlines() if not l.startswith("FAIL")]
        self.assertEqual(lines, [
            "releases.exe.txt: KERNEL32.DLL!LateOnMe: missing on 98SE",
            "releases.exe.txt: KERNEL32.DLL!OnlyFromXp: missing on 2000",
        ])

    def test_ordinal_import_fails_unless_listed(self):
        rc, out, _ = run("ordinal.exe.txt")
        self.assertEqual(rc, 1)
        self.assertIn("USER32.DLL!#5: ordinal import not in the table", out)
        rc, out, _ = run("clean.exe.txt")  # COMCTL32 #17 is listed
        self.assertEqual(rc, 0, out)

    def test_lookup_row_does_not_excuse_a_static_import(self):
        rc, out, _ = run("ras.exe.txt")
        self.assertEqual(rc, 1)
        self.assertIn("RASAPI32.DLL!RasGetConnectionStatistics: missing on 98SE, ME", out)

    def test_every_exe_reported(self):
        rc, out, _ = run("vista.exe.txt", "clean.exe.txt")
        self.assertEqual(rc, 1)
        self.assertIn("FAIL vista.exe.txt: 1 of 2 imports", out)
        self.assertIn("OK clean.exe.txt", out)

    def test_output_without_imports_fails(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "empty.exe.txt")
            with open(path, "w") as f:
                f.write("objdump: x.exe: file format not recognized\n")
            rc, out, err = run(path)  # an absolute path wins over FIXTURES in join
        self.assertEqual(rc, 1)
        self.assertIn("empty.exe.txt: no imports found", err)
        self.assertNotIn("OK", out)

    def test_bad_table_values_rejected(self):
        bad = [
            "dll,function,win9x,nt,source\nKERNEL32.DLL,X,97,NT4,s\n",
            "dll,function,win9x,nt,source\nKERNEL32.DLL,X,95,NT5,s\n",
            "dll,function,win9x,nt,source\nkernel32.dll,X,95,NT4,s\n",
            "dll,function,win9x,nt,source\nKERNEL32.DLL,X,95,NT4,\n",
            "dll,function,win9x,nt,source\nKERNEL32.DLL,X,95,NT4,s\nKERNEL32.DLL,X,98,NT4,s\n",
            "dll,function,nt,win9x,source\nKERNEL32.DLL,X,NT4,95,s\n",
        ]
        for text in bad:
            with tempfile.NamedTemporaryFile("w", suffix=".csv", delete=False) as f:
                f.write(text)
            try:
                rc, _, err = run("clean.exe.txt", table=f.name)
            finally:
                os.unlink(f.name)
            self.assertEqual(rc, 2, text)
            self.assertIn("check_imports:", err)

    def test_command_line(self):
        result = subprocess.run(
            [sys.executable, os.path.join(HERE, "check_imports.py"), "--table", TABLE,
             "--objdump-output", os.path.join(FIXTURES, "vista.exe.txt")],
            capture_output=True, text=True)
        self.assertEqual(result.returncode, 1)
        self.assertIn("GetTickCount64: missing on", result.stdout)


class TableTest(unittest.TestCase):
    """The committed table: well formed and covering what the code relies on."""

    @classmethod
    def setUpClass(cls):
        cls.table = check_imports.load_table(REAL_TABLE)
        cls.names = {f for _, f in cls.table}

    def test_functions_about_to_be_used_are_listed(self):
        planned = """CreateSemaphoreA CreateEventA CreateMutexA InitializeCriticalSection
            EnterCriticalSection LeaveCriticalSection DeleteCriticalSection WaitForSingleObject
            WaitForMultipleObjects MsgWaitForMultipleObjects ReleaseSemaphore SetEvent ResetEvent
            GetCurrentThreadId _beginthreadex _endthreadex __getmainargs __p__acmdln __initenv
            GetStartupInfoA GetCommandLineA GetVersionExA GetMessageA PeekMessageA DispatchMessageA
            TranslateMessage IsDialogMessageA RegisterClassExA RegisterClassA CreateWindowExA
            DefWindowProcA CallWindowProcA SendMessageA PostMessageA SendMessageTimeoutA
            SetWindowTextA GetWindowTextA GetWindowTextLengthA SetWindowLongA GetWindowLongA
            GetClassInfoExA GetClassNameA FindWindowA SetPropA GetPropA RemovePropA AppendMenuA
            InsertMenuA MessageBoxA SystemParametersInfoA LoadIconA LoadCursorA LoadImageA DrawTextA
            TextOutA ExtTextOutA GetTextExtentPoint32A CreateFontA CreateFontIndirectA
            Shell_NotifyIconA ShellExecuteA SHGetSpecialFolderPathA GetModuleHandleA
            GetModuleFileNameA FindResourceA LoadLibraryA GetProcAddress CoInitialize
            CoCreateInstance OleLoadPicture InitCommonControls InitCommonControlsEx GetAncestor
            TrackMouseEvent _TrackMouseEvent MsgWaitForMultipleObjectsEx""".split()
        self.assertEqual([f for f in planned if f not in self.names], [])

    def test_every_w_function_has_its_a_counterpart(self):
        wide = [f for f in self.names if f.endswith("W") and f[-2].islower()]
        self.assertTrue(wide)
        self.assertEqual(sorted(f for f in wide if f[:-1] + "A" not in self.names), [])

    def test_ras_entry_points_are_marked_as_lookups(self):
        ras = [row for (dll, _), row in self.table.items() if dll == "RASAPI32.DLL"]
        self.assertGreaterEqual(len(ras), 12)
        for row in ras:
            self.assertTrue(row["source"].startswith("lookup; "), row["function"])

    def test_names_the_code_looks_up_are_listed(self):
        import re
        src = os.path.join(HERE, "..", "..", "src")
        looked_up = set()
        for root, _, files in os.walk(src):
            for name in files:
                if name.endswith((".cpp", ".h")):
                    with open(os.path.join(root, name), encoding="utf-8") as f:
                        looked_up |= set(re.findall(r'"(Ras[A-Za-z]+)"', f.read()))
        self.assertTrue(looked_up)
        self.assertEqual(sorted(n for n in looked_up if ("RASAPI32.DLL", n) not in self.table), [])

    def test_unknown_9x_status_is_counted_as_absent(self):
        # A row may only say "no" or a release; an unsupported function without a
        # documented stub must not pass as loadable.
        for (dll, fn), row in self.table.items():
            if "Unsupported" in row["source"] and row["win9x"] == "stub":
                self.fail(f"{dll}!{fn}: 'Unsupported' on 9x yet marked stub")


if __name__ == "__main__":
    unittest.main()
