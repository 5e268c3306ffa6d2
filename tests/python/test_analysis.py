"""Analyses from Python: results as numpy arrays, a push-over stepped and stopped, the same numbers as
the command line, and the program's messages as exceptions."""
import subprocess
import os

import numpy as np
import pytest

import torva


def test_pushover_steps_as_a_generator_and_stops(small_wall):
    run = small_wall.pushover()
    assert run.total_steps == 40
    seen = []
    for step in run:
        seen.append(step)
        if step.step == 10:
            run.stop()
    assert [s.step for s in seen] == list(range(1, 11))
    assert run.steps_done == 10 and not run.finished
    assert seen[-1].displacement_mm == pytest.approx(1.0, abs=1e-4)
    curve = run.curve
    assert curve.shape == (10, 3)
    assert curve[-1, 2] == seen[-1].force_N
    assert np.all(np.diff(curve[:, 1]) > 0)


def test_pushover_curve_is_the_command_lines(small_wall, tmp_path):
    small_wall.save(tmp_path / "w.json")
    subprocess.run([os.environ["TORVA_FEM"], "analyze", str(tmp_path / "w.json"), "--pushover", "--curve",
                    str(tmp_path / "c.csv")], check=True, capture_output=True)
    # The first three columns; the method's columns follow ("classic,,1" for the classic method).
    expected = np.loadtxt(tmp_path / "c.csv", delimiter=",", skiprows=1, usecols=(0, 1, 2))
    with open(tmp_path / "c.csv") as f:
        header, first = f.readline().strip(), f.readline().strip()
    assert header == "step,control_displacement_mm,control_force_N,method,load_factor,iterations"
    assert first.endswith(",classic,,1")
    run = small_wall.pushover().run()
    assert run.status == 0 and run.message == "" and run.finished
    # The command line's curve file holds the values as the analysis window records them, in single
    # precision: the same run rounds to exactly those.
    assert np.array_equal(run.curve.astype(np.float32), expected.astype(np.float32))


def test_results_arrays_have_the_mesh_shapes_and_obey_the_supports(small_wall):
    results = small_wall.pushover().run().results
    nodes = results.node_positions
    assert nodes.shape == (15, 2)
    assert results.element_nodes.shape == (8, 4)
    u = results.node_displacements
    assert u.shape == (15, 2)
    base = nodes[:, 1] == nodes[:, 1].max()
    assert np.all(u[base] == 0)  # pinned
    top_left = np.argmin(nodes[:, 0] + nodes[:, 1])
    assert u[top_left, 0] == pytest.approx(4.0, abs=1e-5)  # the control node went to its target
    for name in ("concrete_stress", "principal_stress", "strain", "total_stress"):
        assert getattr(results, name).shape == (8, 9, 3), name
    assert results.bar_stress.shape == (8, 9, 2)
    assert results.cracked.dtype == bool and results.cracked.any()
    assert results.plane_elements.all()
    principal = results.principal_stress
    assert np.all(principal[:, :, 0] >= principal[:, :, 1] - 1e-9)


def test_elastic_analysis_and_refusals_carry_the_programs_messages(small_wall, examples):
    results = small_wall.elastic()
    assert results.node_displacements.shape == (15, 2)
    assert np.abs(results.node_displacements).max() > 0
    unsupported = torva.Model(2, 2)
    unsupported.add_cells("concrete", x=(2, 3), y=(2, 3))
    with pytest.raises(torva.AnalysisError):
        unsupported.elastic()
    no_control = torva.load(examples / "one-element.fem")
    with pytest.raises(torva.AnalysisError, match="Please select control node"):
        no_control.pushover()
    with pytest.raises(torva.AnalysisError, match="unknown analysis method 'fast'"):
        small_wall.pushover(method="fast")
    run = small_wall.pushover()
    with pytest.raises(torva.AnalysisError, match="no analysis step has been done yet"):
        run.results.node_displacements


def test_the_iterative_method_is_chosen_by_name(small_wall):
    run = small_wall.pushover(method="mcft")
    steps = list(run)
    if run.status == 0:  # the engine offers the method: it runs the whole loading
        assert len(steps) == run.total_steps
        assert run.curve.shape == (run.total_steps, 3)
    else:  # it does not yet: the run ends at once with the engine's word for it
        assert steps == [] and "method" in run.message
