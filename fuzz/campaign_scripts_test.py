#!/usr/bin/env python3
"""Tests of fuzz/campaign.sh and fuzz/campaigns.sh that need no fuzz build:
their argument checks, and how a list of campaigns goes on past one that
fails.  Run: python3 fuzz/campaign_scripts_test.py"""
import os
import subprocess
import tempfile
import unittest
from pathlib import Path

FUZZ = Path(__file__).resolve().parent


def run(script, *args, env=None):
    return subprocess.run(["bash", str(FUZZ / script), *args], capture_output=True, text=True,
                          env={**os.environ, **(env or {})}, timeout=60)


class CampaignArguments(unittest.TestCase):
    def test_refused_before_anything_runs(self):
        with tempfile.TemporaryDirectory() as build:
            cases = [
                (["fuzz_nothing", "1", build], "unknown target fuzz_nothing"),
                (["fuzz_ini", "0", build], "HOURS must be a positive number"),
                (["fuzz_ini", "-1", build], "HOURS must be a positive number"),
                (["fuzz_ini", "1h", build], "HOURS must be a positive number"),
                (["fuzz_ini", "1", build], "is not built"),
                (["fuzz_ini"], "usage:"),
            ]
            for args, message in cases:
                with self.subTest(args=args):
                    result = run("campaign.sh", *args)
                    self.assertEqual(result.returncode, 2, result.stderr)
                    self.assertIn(message, result.stderr)


class CampaignList(unittest.TestCase):
    def test_a_malformed_item_stops_the_list_before_the_first_campaign(self):
        with tempfile.TemporaryDirectory() as folder:
            log = Path(folder) / "rows.md"
            for item in ["fuzz_ini", "fuzz_ini:", "fuzz_ini:x", "fuzz_ini:1:seed", "fuzz_ini:1:2:3"]:
                with self.subTest(item=item):
                    result = run("campaigns.sh", str(log), "fuzz_ini:0.001", item)
                    self.assertEqual(result.returncode, 2, result.stderr)
                    self.assertIn(f"{item} is not TARGET:HOURS[:SEED]", result.stderr)
                    self.assertFalse(log.exists(), "a campaign ran before the list was checked")

    def test_each_failed_campaign_is_logged_and_the_next_still_runs(self):
        with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as build:
            log = Path(folder) / "rows.md"
            result = run("campaigns.sh", str(log), "fuzz_ini:0.001:5", "fuzz_bmp:0.001",
                         env={"FUZZ_BUILD_DIR": build})
            self.assertNotEqual(result.returncode, 0)
            lines = log.read_text().splitlines()
            self.assertEqual(len(lines), 2, lines)
            self.assertIn("fuzz_ini, seed 5: campaign.sh ended with 2", lines[0])
            self.assertIn("fuzz_bmp, seed 0: campaign.sh ended with 2", lines[1])
            output = Path(f"{log}.fuzz_bmp-0.out").read_text()
            self.assertIn("is not built", output)


if __name__ == "__main__":
    unittest.main()
