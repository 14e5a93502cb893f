#!/usr/bin/env python3
"""Runs the short bench and compares its node total with the recorded signature.

A change that alters any search decision alters the total; such a change records the
new figure here and says why in its commit message."""
import subprocess
import sys

SIGNATURE_DEPTH = 6
SIGNATURE_NODES = 1265560

bench = sys.argv[1]
run = subprocess.run([bench, str(SIGNATURE_DEPTH)], capture_output=True, text=True, timeout=600)
print(run.stdout, end="")
last = run.stdout.strip().splitlines()[-1].split()
fields = dict(zip(last[1::2], last[2::2]))  # "total nodes N ms T nps R faults F"
nodes, faults = int(fields["nodes"]), int(fields["faults"])
ok = True
if faults != 0 or run.returncode != 0:
    print(f"self-check lines (ERROR / white test_) seen: {faults}")
    ok = False
if nodes != SIGNATURE_NODES:
    print(f"signature changed: {nodes} nodes, recorded {SIGNATURE_NODES}")
    ok = False
sys.exit(0 if ok else 1)
