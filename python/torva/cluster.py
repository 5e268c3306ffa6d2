"""Runs a study's pending variants on a Dask distributed cluster and gathers the results:

    python3 -m torva.cluster STUDY.json --scheduler tcp://host:8786

`torva_fem study STUDY.json --scheduler ADDRESS` runs this. The variants are sent to the workers as one
self-contained text (the base model inline), so the workers need the torva module but not the study's
files; the records are written here, as each variant comes back.
"""

import argparse
import sys

import torva


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m torva.cluster", description=__doc__.splitlines()[0])
    parser.add_argument("study", help="the study file (JSON)")
    parser.add_argument("--scheduler", required=True, help="the Dask scheduler's address")
    args = parser.parse_args(argv)

    def report(index, record):
        print(f"variant {index + 1}: {record['failure_mode']}, {record['steps']} steps, "
              f"peak {record['peak_force_N']:.6g} N at {record['peak_displacement_mm']:.6g} mm", flush=True)

    try:
        torva.study(args.study, scheduler=args.scheduler, progress=report)
    except torva.Error as e:
        print(f"torva.cluster: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
