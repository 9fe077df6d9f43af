"""Reads a Monitor export back with Python's csv module and compares every
field with the texts the writer was given."""
import csv
import os
import subprocess
import sys


def main(sample, workdir):
    os.makedirs(workdir, exist_ok=True)
    subprocess.run([sample, workdir], check=True)
    with open(os.path.join(workdir, "expected.hex"), encoding="ascii") as f:
        expected = [[b"" if h == "-" else bytes.fromhex(h) for h in line.split(" ")]
                    for line in f.read().splitlines()]
    with open(os.path.join(workdir, "export.csv"), "rb") as f:
        raw = f.read()
    assert not raw.startswith(b"\xef\xbb\xbf"), "byte-order mark"
    assert raw.endswith(b"\r\n"), "last line not ended by CR LF"
    text = raw.decode("utf-8", errors="surrogateescape")
    rows = list(csv.reader(text.splitlines(keepends=True), strict=True))
    got = [[field.encode("utf-8", errors="surrogateescape") for field in row] for row in rows]
    assert len(got) == len(expected), f"{len(got)} lines read, {len(expected)} written"
    for number, (g, e) in enumerate(zip(got, expected)):
        assert len(g) == 18, f"line {number}: {len(g)} fields"
        assert g == e, f"line {number}: {g!r} != {e!r}"
    print(f"{len(got)} lines of 18 fields read back")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
