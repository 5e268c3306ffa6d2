"""A push-over by the iterative method from Python: each step's equilibrium record and the Gauss-point
states (cracks, principal strains and stresses, bars) as numpy arrays, read during the run and at its end."""
import numpy as np
import pytest

import torva

PATTERN_N = 3 * 10000.0  # 10 kN at each of the three top nodes of the small wall
RHO = 78.54 / (200 * 150)  # bar area / (spacing x thickness), both directions
FY = 400.0
FORCE_TOLERANCE = 1e-3  # the engine's default |R| / |applied force|


def test_each_step_is_in_equilibrium_and_its_force_is_the_load_factor_times_the_pattern(small_wall):
    run = small_wall.pushover(method="mcft").run()
    assert run.status == 0 and run.steps_done == 40
    iterations, pieces, residuals, factors = run.iterations, run.pieces, run.residuals, run.load_factors
    for array in (iterations, pieces, residuals, factors):
        assert array.shape == (40,)
    assert iterations.dtype == np.int32 and np.all(iterations >= 1)
    assert np.all(pieces >= 1)
    assert np.all(residuals >= 0) and np.all(residuals <= FORCE_TOLERANCE)
    # Cracking makes the later steps work for their equilibrium: more than the one pass of a linear step.
    assert iterations.max() > 1
    # The control force is the internal force at the loaded dofs: it equals the load factor times the
    # pattern as far as the step's equilibrium does, to the force tolerance.
    curve = run.curve
    assert curve[-1, 2] == pytest.approx(factors[-1] * PATTERN_N, rel=FORCE_TOLERANCE)
    assert np.allclose(curve[:, 2], factors * PATTERN_N, rtol=FORCE_TOLERANCE)


def test_records_follow_a_run_that_is_stopped(small_wall):
    run = small_wall.pushover(method="mcft")
    for step in run:
        assert len(run.iterations) == step.step  # one record a step done, read while stepping
        if step.step == 5:
            run.stop()
    assert run.steps_done == 5 and len(run.residuals) == 5


def test_cracks_open_as_the_wall_is_pushed(small_wall):
    run = small_wall.pushover(method="mcft")
    first = None
    for step in run:
        if step.step == 1:
            first = run.results
            assert np.all(first.condition == 0)  # 0.1 mm: still uncracked
            assert np.all(first.crack_width == 0) and not first.cracked.any()
    results = run.results
    width, condition = results.crack_width, results.condition
    assert width.shape == (8, 9) and condition.shape == (8, 9) and condition.dtype == np.int8
    assert np.all(width >= 0)
    assert np.all((condition >= 0) & (condition < len(torva.CONDITIONS)))
    assert (condition == torva.CONDITIONS.index("cracked")).any()
    # A crack has a width exactly where the point is cracked, and the flag agrees with the condition.
    assert np.array_equal(width > 0, results.cracked)
    assert np.array_equal(results.cracked, condition >= 1)


def test_principal_strains_and_crack_angle_agree_with_the_strain_tensor(small_wall):
    results = small_wall.pushover(method="mcft").run().results
    e = results.principal_strain
    assert e.shape == (8, 9, 2) and np.all(e[..., 0] >= e[..., 1])
    ex, ey, gxy = np.moveaxis(results.strain, -1, 0)
    assert np.allclose(e[..., 0] + e[..., 1], ex + ey, atol=1e-12)
    c, s = np.cos(results.crack_angle), np.sin(results.crack_angle)
    assert np.allclose(ex * c * c + ey * s * s + gxy * s * c, e[..., 0], atol=1e-12)


def test_concrete_and_bar_stresses_add_up_to_the_total(small_wall):
    results = small_wall.pushover(method="mcft").run().results
    total, concrete, bars = results.total_stress, results.concrete_stress, results.bar_stress
    assert np.abs(concrete).max() > 1  # written by the iterative method, not left at zero
    assert np.allclose(total[..., 0], concrete[..., 0] + RHO * bars[..., 0], atol=1e-6)
    assert np.allclose(total[..., 1], concrete[..., 1] + RHO * bars[..., 1], atol=1e-6)
    assert np.allclose(total[..., 2], concrete[..., 2], atol=1e-6)
    f = results.principal_concrete_stress
    assert np.allclose(f, results.principal_stress[..., :2])
    # Bars never carry more than their yield stress; those that yielded carry it.
    yielded = results.yielded
    assert yielded.shape == (8, 9, 2) and yielded.dtype == bool and yielded.any()
    assert np.all(np.abs(bars) <= FY + 1e-9)
    assert np.allclose(np.abs(bars[yielded]), FY)
    assert np.all(np.abs(results.bar_strain[yielded]) >= FY / 200000.0 * (1 - 1e-9))


def test_the_classic_method_does_one_pass_a_step_and_has_no_compression_field(small_wall):
    run = small_wall.pushover().run()
    assert np.all(run.iterations == 1) and np.all(run.pieces == 1)
    assert np.all(np.isnan(run.residuals)) and np.all(np.isnan(run.load_factors))
    with pytest.raises(torva.AnalysisError, match="method='mcft'"):
        run.results.crack_width
