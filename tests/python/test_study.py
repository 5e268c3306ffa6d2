"""Studies from Python: one process, processes and a local two-worker Dask cluster (on 127.0.0.1, started
here) give the same files; the command line hands a cluster run to the module; refusals and resume."""
import json
import os
import subprocess
import time

import numpy as np
import pytest

import torva


def wall_study(examples, folder):
    """20 variants of the example wall: concrete strength and horizontal bar area."""
    return {
        "base_model": str(examples / "shear-wall.fem"),
        "output_folder": str(folder),
        "grid": {"concrete.fc_MPa": [20, 25, 30, 35, 40], "rebar.x_area_mm2": [50, 78.54, 113.1, 201.1]},
    }


@pytest.fixture(scope="module")
def cluster():
    distributed = pytest.importorskip("dask.distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None) as local:
        yield local.scheduler_address


def test_one_process_processes_and_a_dask_cluster_give_the_same_results(examples, tmp_path, cluster):
    timings = {}
    results = {}
    for name, options in (("single", {"workers": 1}), ("processes", {"workers": 2}),
                          ("dask", {"scheduler": cluster})):
        start = time.perf_counter()
        results[name] = torva.study(wall_study(examples, tmp_path / name), **options)
        timings[name] = time.perf_counter() - start
    print("20-variant study, seconds:", {k: round(v, 2) for k, v in timings.items()})
    single = results["single"]
    assert single.counts == {"variants": 20, "completed": 20, "stopped": 0, "missing": 0}
    summary = single.summary_text
    for name in ("processes", "dask"):
        assert results[name].counts == single.counts
        assert results[name].summary_text == summary, name
        for variant in (1, 20):
            assert np.array_equal(results[name].curve(variant), single.curve(variant))
    rows = single.rows
    assert [float(r["concrete.fc_MPa"]) for r in rows[:5]] == [20, 20, 20, 20, 25]
    peaks = [float(r["peak_force_N"]) for r in rows]
    assert all(p > 0 for p in peaks)
    assert float(rows[16]["peak_force_N"]) > float(rows[0]["peak_force_N"])  # 40 MPa against 20 MPa


def test_the_command_line_runs_a_study_on_the_cluster(examples, tmp_path, cluster):
    study = tmp_path / "wall.json"
    study.write_text('{"base_model": "%s", "list": {"parameters": ["concrete.fc_MPa"], "values": [[20], [35]]}}'
                     % (examples / "shear-wall.fem"))
    run = subprocess.run([os.environ["TORVA_FEM"], "study", str(study), "--scheduler", cluster],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr
    assert "2 variants: 2 completed" in run.stdout
    here = torva.study(dict(json.loads(study.read_text()), output_folder=str(tmp_path / "here")), workers=1)
    assert (tmp_path / "wall_results" / "summary.csv").read_text() == here.summary_text


def test_failures_are_recorded_and_a_rerun_resumes(examples, tmp_path):
    study_definition = {"base_model": str(examples / "cantilever.fem"), "output_folder": str(tmp_path / "out"),
            "list": {"parameters": ["rebar.x_spacing_mm"], "values": [[200], [0], [100]]}}
    seen = []
    result = torva.study(study_definition, workers=1, progress=lambda k, record: seen.append((k, record["failure_mode"])))
    assert seen == [(0, "completed"), (1, "refused"), (2, "completed")]
    assert result.counts["stopped"] == 1
    assert "spacing" in result.rows[1]["message"]
    os.remove(tmp_path / "out" / "variants" / "variant_0003.json")
    seen.clear()
    again = torva.study(study_definition, workers=2, progress=lambda k, record: seen.append(k))
    assert seen == [2]
    assert again.summary_text == result.summary_text


def test_bad_studies_are_refused_naming_the_parameter(examples, tmp_path):
    base = str(examples / "cantilever.fem")
    with pytest.raises(torva.StudyError, match=r'grid\.concrete\.strength: unknown parameter "concrete\.strength"'):
        torva.study({"base_model": base, "grid": {"concrete.strength": [20]}})
    with pytest.raises(torva.StudyError, match=r"variant 1 \(rebar\.y_area_mm2 = -1\): types\.rebar\[0\]\.y_area_mm2"):
        torva.study({"base_model": base, "grid": {"rebar.y_area_mm2": [-1]}})
    with pytest.raises(torva.StudyError, match=r"random\.samples: expected a number, found a string"):
        torva.study({"base_model": base, "random": {"samples": "20", "seed": 1, "parameters": {}}})
    assert not (tmp_path / "study_results").exists()
