"""Models from Python: files in both formats, exact conversion, editing in code, refusals by field."""
import json

import pytest

import torva


def test_load_convert_and_save_keep_every_byte(examples, tmp_path):
    source = examples / "shear-wall.fem"
    assert torva.convert(source, tmp_path / "wall.json") == 0
    assert torva.convert(tmp_path / "wall.json", tmp_path / "wall.fem") == 0
    assert (tmp_path / "wall.fem").read_bytes() == source.read_bytes()
    model = torva.load(tmp_path / "wall.json")
    assert model.fem_image() == source.read_bytes()
    model.save(tmp_path / "again.json")
    assert (tmp_path / "again.json").read_text() == (tmp_path / "wall.json").read_text()
    assert torva.Model.load(source).to_json() == (tmp_path / "wall.json").read_text()


def test_output_elements_survive_json_but_not_fem(tmp_path, small_wall):
    small_wall.output_elements = [(2, 2), (3, 5)]
    small_wall.active_output = (3, 5)
    small_wall.save(tmp_path / "w.json")
    back = torva.load(tmp_path / "w.json")
    assert back.output_elements == [(2, 2), (3, 5)]
    assert back.active_output == (3, 5)
    assert torva.convert(tmp_path / "w.json", tmp_path / "w.fem") == 2
    assert torva.load(tmp_path / "w.fem").output_elements == []


def test_editing_lands_in_the_stored_model(small_wall):
    data = json.loads(small_wall.to_json())
    assert data["grid"] == {"elements_x": 2, "elements_y": 4}
    assert data["spans"]["x"]["lengths_mm"][0] == 250
    concrete = data["types"]["concrete"][0]
    assert (concrete["fc_MPa"], concrete["Ec_MPa"], concrete["thickness_mm"]) == (30.0, 25000, 150.0)
    assert data["layers"]["concrete"] == [{"x": [2, 3], "y": [2, 5], "type": 1}]
    assert data["loading"]["points_mm"] == [0.0, 4.0]
    assert data["loading"]["control_direction"] == "x"
    assert small_wall.control_node == (2, 2)
    # .fem bytes: Ec of concrete type 1 is the int32 at 250,592, in units of 1000 N/mm2.
    image = small_wall.fem_image()
    assert len(image) == 255422
    assert int.from_bytes(image[250592:250596], "little", signed=True) == 25


def test_spans_loads_and_supports_pick_their_types():
    model = torva.Model(elements_x=3, elements_y=1)
    model.set_spans(x=[500, 250, 500], y=[400])
    model.add_support(x=2, y=3, support="pin")
    model.add_support(x=(3, 5), y=3, support="roller_x")
    model.add_load(x=5, y=2, fx_N=1500.5)
    model.add_load(x=4, y=2, fx_N=1500.5)
    model.add_load(x=2, y=2, fy_N=-20)
    data = json.loads(model.to_json())
    assert data["spans"]["x"]["lengths_mm"][:2] == [500, 250]
    assert data["spans"]["x"]["line_types"] == [{"lines": 3, "type": 2}]
    boundary = {c["type"] for c in data["layers"]["boundary"]}
    assert len(boundary) == 2
    supports = {e["type"]: e["support"] for e in data["types"]["boundary"]}
    assert sorted(supports[t] for t in boundary) == ["pin", "roller_x"]
    forces = {e["type"]: (e["fx_N"], e["fy_N"]) for e in data["types"]["point_force"]}
    assert [c["x"] for c in data["layers"]["point_force"]] == [2, [4, 5]]
    used = [c["type"] for c in model.data["layers"]["point_force"]]
    assert used[0] == used[1] and used[2] != used[0]
    assert forces[used[0]] == (1500.5, 0.0)
    assert forces[used[2]] == (0.0, -20.0)


def test_cyclic_loading_reverses_through_zero():
    model = torva.Model(2, 2).set_cyclic_loading([1, 2], cycles=1, steps_per_segment=5, direction="y")
    loading = model.data["loading"]
    assert loading["points_mm"] == [0, 1, 0, -1, 0, 2, 0, -2, 0]
    assert loading["segment_count"] == 8
    model.check()


def test_bad_values_are_refused_naming_the_field(tmp_path, small_wall):
    small_wall.set_type("rebar", 1, x_area_mm2=-5)
    with pytest.raises(torva.ModelError, match=r"types\.rebar\[0\]\.x_area_mm2: must be between 0\.0"):
        small_wall.check()
    with pytest.raises(torva.ModelError, match=r"types\.concrete\[0\]\.fcc_MPa: unknown field"):
        small_wall.set_type("concrete", 1, fcc_MPa=20)
    small_wall.set_type("rebar", 1, x_area_mm2="big")
    with pytest.raises(torva.ModelError, match="x_area_mm2: expected a number, found a string"):
        small_wall.save(tmp_path / "w.json")
    assert not (tmp_path / "w.json").exists()
    broken = tmp_path / "broken.json"
    broken.write_text('{\n  "format": "torva-model",\n  "grid": {"elements_x": 2,}\n}')
    with pytest.raises(torva.ModelError, match="broken.json: line 3, column 28"):
        torva.load(broken)
    del small_wall.data["grid"]
    with pytest.raises(torva.ModelError, match="grid: missing"):
        small_wall.check()
    with pytest.raises(torva.ModelError, match="Failed to open document"):
        torva.load(tmp_path / "none.fem")
    assert issubclass(torva.ModelError, torva.Error)


def test_copies_dicts_grid_and_removed_cells(small_wall):
    twin = small_wall.copy()
    twin.set_grid(3, 5).remove_cells("concrete", x=3, y=(2, 5))
    assert (twin.elements_x, twin.elements_y) == (3, 5)
    assert (small_wall.elements_x, small_wall.elements_y) == (2, 4)  # a copy, not a view
    again = torva.Model.from_dict(json.loads(twin.to_json()))
    concrete = again.data["layers"]["concrete"]
    assert {"x": 2, "y": [2, 5], "type": 1} in concrete
    assert all(cell.get("x") != [2, 3] for cell in concrete)  # column 3 is no longer present
    assert again.to_json() == twin.to_json()
    assert torva.Model.from_json(twin.to_json()).fem_image() == twin.fem_image()
    with pytest.raises(torva.ModelError, match="layers.slab: unknown layer"):
        twin.add_cells("slab", x=2, y=2)
    with pytest.raises(torva.ModelError, match="expected a position or a pair"):
        twin.add_cells("concrete", x=(1, 2, 3), y=2)
