import os
import pathlib

import pytest

SOURCE = pathlib.Path(os.environ.get("TORVA_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))


@pytest.fixture
def examples():
    return SOURCE / "examples"


@pytest.fixture
def small_wall():
    """Two by four elements of 250 mm, pinned at the base, pushed 4 mm in x at the top left node by a
    load pattern of 10 kN at each top node."""
    import torva

    wall = torva.Model(elements_x=2, elements_y=4)
    wall.set_spans(x=[250, 250], y=[250] * 4)
    wall.set_type("concrete", 1, fc_MPa=30, ft_MPa=2, Ec_MPa=25000, thickness_mm=150, poisson=0.2,
                  strain_at_fc=0.002)
    wall.set_type("rebar", 1, x_area_mm2=78.54, x_spacing_mm=200, x_fy_MPa=400, y_area_mm2=78.54,
                  y_spacing_mm=200, y_fy_MPa=400)
    wall.add_cells("concrete", x=(2, 3), y=(2, 5))
    wall.add_cells("rebar", x=(2, 3), y=(2, 5))
    wall.add_support(x=(2, 4), y=6, support="pin")
    wall.add_load(x=(2, 4), y=2, fx_N=10000)
    wall.control_node = (2, 2)
    wall.set_loading([0, 4], steps_per_segment=40, direction="x")
    return wall
