"""TORVA_FEM from Python: build or load reinforced-concrete plate and wall models, analyse them, and run
parameter studies on this machine or on a Dask cluster.

    import torva
    wall = torva.Model(elements_x=4, elements_y=8)
    wall.set_spans(x=[250] * 4, y=[250] * 8)
    wall.set_type("concrete", 1, fc_MPa=30, Ec_MPa=25000, thickness_mm=200)
    wall.add_cells("concrete", x=(2, 5), y=(2, 9))
    wall.add_support(x=(2, 6), y=10, support="pin")
    wall.control_node = (2, 2)
    wall.set_loading([0, 10], steps_per_segment=100)
    run = wall.pushover().run()
    print(run.curve)                 # step, control displacement (mm), control force (N)

A model is the JSON model format (docs/model-format.md) held as a dict (`Model.data`); the methods edit it
and every analysis checks it with the program's own reader, so a bad value is refused with the field's
name. Errors are torva.Error exceptions (ModelError, AnalysisError, StudyError) with the program's
messages.
"""

import copy
import csv
import json
import os

import numpy as np

from . import _core
from ._core import AnalysisError, Error, ModelError, StudyError

__all__ = [
    "Model", "Results", "Pushover", "Step", "StudyResult", "load", "convert", "study",
    "Error", "ModelError", "AnalysisError", "StudyError", "METHODS", "CONDITIONS",
]

# The analysis methods: the classic step scheme, and the iterative method with the compression-field
# concrete model (refused with the engine's message where the engine does not offer it yet).
METHODS = ("classic", "mcft")

# The states of a concrete Gauss point under the iterative method (Results.condition indexes them).
CONDITIONS = ("uncracked", "cracked", "past peak", "crushed")

_TYPED_KINDS = ("point_force", "boundary", "concrete", "rebar", "fibre")
_SUPPORTS = ("pin", "roller_x", "roller_y")
_USER_TYPES = range(1, 11)  # type 11 is the default row


def load(path):
    """Loads a .fem or .json model file."""
    return Model.load(path)


def convert(source, target):
    """Converts a model file between .fem and .json (by the names). Returns how many output elements
    a .fem target could not hold."""
    return _core.convert(os.fspath(source), os.fspath(target))


def _range(value, name):
    if isinstance(value, (int, np.integer)):
        return int(value)
    if isinstance(value, (tuple, list)) and len(value) == 2:
        return [int(value[0]), int(value[1])]
    raise ModelError(f"{name}: expected a position or a pair (first, last), found {value!r}")


def _position(value, name):
    if value is None:
        return None
    if isinstance(value, dict):
        return {"x": int(value["x"]), "y": int(value["y"])}
    if isinstance(value, (tuple, list)) and len(value) == 2:
        return {"x": int(value[0]), "y": int(value[1])}
    raise ModelError(f"{name}: expected a position (x, y), found {value!r}")


class Model:
    """A model: the grid, spans, member types, cells on layers, loads, supports, control node, output
    elements and the loading of a push-over. `data` is the model as a dict of the JSON format."""

    def __init__(self, elements_x=10, elements_y=10):
        self.data = json.loads(_core.Model().to_json())
        self.data["grid"] = {"elements_x": int(elements_x), "elements_y": int(elements_y)}
        self.check()

    # ---- files ---------------------------------------------------------------------------------

    @classmethod
    def load(cls, path):
        return cls._from_core(_core.Model.load(os.fspath(path)))

    @classmethod
    def from_json(cls, text):
        return cls._from_core(_core.Model.from_json(text))

    @classmethod
    def from_dict(cls, data):
        return cls.from_json(json.dumps(data))

    @classmethod
    def _from_core(cls, core):
        model = cls.__new__(cls)
        model.data = json.loads(core.to_json())
        return model

    def save(self, path):
        """Saves as .json or .fem, by the name."""
        self._core().save(os.fspath(path))

    def to_json(self):
        """The model's JSON text, as the program writes it."""
        return self._core().to_json()

    def fem_image(self):
        """The bytes of the model's .fem file."""
        return self._core().fem_image()

    def copy(self):
        model = Model.__new__(Model)
        model.data = copy.deepcopy(self.data)
        return model

    def check(self):
        """Refuses (ModelError) a model the program would not read, naming the field."""
        self._core()
        return self

    def _core(self):
        return _core.Model.from_json(json.dumps(self.data))

    # ---- grid and spans --------------------------------------------------------------------------

    @property
    def elements_x(self):
        return self.data["grid"]["elements_x"]

    @property
    def elements_y(self):
        return self.data["grid"]["elements_y"]

    def set_grid(self, elements_x, elements_y):
        self.data["grid"] = {"elements_x": int(elements_x), "elements_y": int(elements_y)}
        return self

    def set_spans(self, x=None, y=None):
        """Element widths (x, one per element column) and heights (y, one per element row) in whole mm;
        at most 11 different lengths an axis."""
        for axis, lengths in (("x", x), ("y", y)):
            if lengths is None:
                continue
            lengths = [int(v) for v in lengths]
            distinct = list(dict.fromkeys(lengths))
            if len(distinct) > 11:
                raise ModelError(f"spans.{axis}: at most 11 different lengths, found {len(distinct)}")
            table = distinct + [100] * (11 - len(distinct))
            line_types = [{"lines": 2 + i, "type": distinct.index(v) + 1}
                          for i, v in enumerate(lengths) if distinct.index(v) != 0]
            self.data["spans"][axis] = {"lengths_mm": table, "line_types": line_types}
        return self

    # ---- member types ----------------------------------------------------------------------------

    def type(self, kind, number):
        """The entry of type `number` of a kind (a dict of the JSON format)."""
        if kind not in _TYPED_KINDS:
            raise ModelError(f"types.{kind}: unknown member kind (one of {', '.join(_TYPED_KINDS)})")
        for entry in self.data["types"][kind]:
            if entry["type"] == number:
                return entry
        raise ModelError(f"types.{kind}: no type {number} (types are 1..11)")

    def set_type(self, kind, number, **fields):
        """Sets fields of a member type: set_type("concrete", 1, fc_MPa=30, Ec_MPa=25000)."""
        entry = self.type(kind, number)
        for name, value in fields.items():
            if name not in entry or name == "type":
                raise ModelError(f"types.{kind}[{number - 1}].{name}: unknown field")
            entry[name] = value.item() if isinstance(value, np.generic) else value
        return self

    # ---- cells -----------------------------------------------------------------------------------

    def add_cells(self, layer, x, y, type=1, flag=1):
        """Marks the cells of a rectangle on a layer (concrete, rebar, fibre, point_force, boundary,
        storage_5 ...): x and y are positions or (first, last) pairs."""
        if layer not in self.data["layers"] and not layer.startswith("storage_"):
            raise ModelError(f"layers.{layer}: unknown layer")
        cell = {"x": _range(x, "x"), "y": _range(y, "y"), "type": int(type)}
        if flag != 1:
            cell["flag"] = int(flag)
        self.data["layers"].setdefault(layer, []).append(cell)
        return self

    def remove_cells(self, layer, x, y):
        """Clears the cells of a rectangle on a layer."""
        return self.add_cells(layer, x, y, type=1, flag=0)

    def _type_for(self, kind, wanted, layer):
        """A type of `kind` whose fields are `wanted`: an existing one, else one no cell uses yet."""
        for number in _USER_TYPES:
            entry = self.type(kind, number)
            if all(entry.get(k) == v for k, v in wanted.items()):
                return number
        used = {cell.get("type", 1) for cell in self.data["layers"].get(layer, []) if cell.get("flag", 1)}
        for number in _USER_TYPES:
            if number not in used:
                self.type(kind, number).update(wanted)
                return number
        raise ModelError(f"types.{kind}: all 10 types are in use")

    def add_support(self, x, y, support="pin"):
        """Supports at nodes: "pin", "roller_x" (y fixed) or "roller_y" (x fixed)."""
        if support not in _SUPPORTS:
            raise ModelError(f"support: expected one of {', '.join(_SUPPORTS)}, found {support!r}")
        number = self._type_for("boundary", {"support": support}, "boundary")
        return self.add_cells("boundary", x, y, type=number)

    def add_load(self, x, y, fx_N=0.0, fy_N=0.0):
        """A point force at nodes (N, the direction of gravity is +y)."""
        number = self._type_for("point_force", {"fx_N": float(fx_N), "fy_N": float(fy_N)}, "point_force")
        return self.add_cells("point_force", x, y, type=number)

    # ---- control node, output elements, loading ---------------------------------------------------

    @property
    def control_node(self):
        node = self.data["loading"].get("control_node")
        return None if node is None else (node["x"], node["y"])

    @control_node.setter
    def control_node(self, position):
        self.data["loading"]["control_node"] = _position(position, "control_node")

    @property
    def output_elements(self):
        return [(p["x"], p["y"]) for p in self.data.get("output_elements", [])]

    @output_elements.setter
    def output_elements(self, positions):
        listed = [_position(p, "output_elements") for p in positions]
        self.data["output_elements"] = listed
        self.data["active_output"] = listed[0] if listed else None

    @property
    def active_output(self):
        active = self.data.get("active_output")
        return None if active is None else (active["x"], active["y"])

    @active_output.setter
    def active_output(self, position):
        self.data["active_output"] = _position(position, "active_output")

    def set_loading(self, points_mm, steps_per_segment=None, direction=None):
        """The push-over's path of the control node: target displacements (mm) from the first point,
        each segment divided into steps_per_segment steps; direction "x" or "y"."""
        loading = self.data["loading"]
        points = [float(p) for p in points_mm]
        if len(points) < 2:
            raise ModelError("loading.points_mm: at least two points (a start and a target)")
        loading["segment_count"] = len(points) - 1
        loading["points_mm"] = points
        loading.pop("further_points_mm", None)
        if steps_per_segment is not None:
            loading["steps_per_segment"] = int(steps_per_segment)
        if direction is not None:
            loading["control_direction"] = direction
        return self

    def set_cyclic_loading(self, amplitudes_mm, cycles=1, steps_per_segment=20, direction=None):
        """Reversed cycles: for each amplitude a, `cycles` times 0 -> +a -> 0 -> -a -> 0."""
        points = [0.0]
        for a in amplitudes_mm:
            for _ in range(cycles):
                points += [a, 0.0, -a, 0.0]
        return self.set_loading(points, steps_per_segment, direction)

    # ---- analysis ----------------------------------------------------------------------------------

    def elastic(self, method="classic"):
        """The elastic analysis (gravity and the point forces, load step 1): a Results."""
        analysis = _new_analysis(self, method)
        analysis.elastic()
        return Results(analysis)

    def pushover(self, method="classic"):
        """A push-over of the model's loading, not yet run: iterate it for its steps, or run() it."""
        analysis = _new_analysis(self, method)
        analysis.start_pushover()
        return Pushover(analysis)


def _new_analysis(model, method):
    if method not in METHODS:
        raise AnalysisError(f"unknown analysis method {method!r} (one of: {', '.join(METHODS)})")
    return _core.Analysis(model._core(), method)


class Results:
    """The state after the last analysis step, as numpy arrays (copies taken when read). Nodes and
    elements are those of the analysed mesh; Gauss points are 9 an element; stresses in N/mm2 in the
    order (sx, sy, txy), strains (ex, ey, gxy)."""

    def __init__(self, analysis):
        self._analysis = analysis

    @property
    def node_positions(self):
        """(nodes, 2) plan coordinates in mm."""
        return self._analysis.node_positions()

    @property
    def element_nodes(self):
        """(elements, 4) node indices (0-based) of each element, anticlockwise."""
        return self._analysis.element_nodes()

    @property
    def node_displacements(self):
        """(nodes, 2) displacements ux, uy in mm."""
        return self._analysis.node_displacements()

    @property
    def concrete_stress(self):
        """(elements, 9, 3) concrete stress of each Gauss point."""
        return self._analysis.concrete_stress()

    @property
    def principal_stress(self):
        """(elements, 9, 3) first and second principal concrete stress, angle of the first (rad)."""
        return self._analysis.principal_stress()

    @property
    def total_stress(self):
        """(elements, 9, 3) concrete and smeared rebar stress together."""
        return self._analysis.total_stress()

    @property
    def strain(self):
        """(elements, 9, 3) total strain of each Gauss point."""
        return self._analysis.strain()

    @property
    def bar_stress(self):
        """(elements, 9, 2) stress in the x and y bars (N/mm2)."""
        return self._analysis.bar_stress()

    @property
    def cracked(self):
        """(elements, 9) True where the concrete has an open crack."""
        return self._analysis.cracked()[:, :, 0].astype(bool)

    @property
    def plane_elements(self):
        """(elements,) True for plane elements, False for the joints of zero-width columns or rows."""
        return self._analysis.plane_elements().astype(bool)

    # The iterative method's states of the Gauss points (method="mcft" only; AnalysisError otherwise).
    # The joints of zero-width columns or rows have none: NaN, condition -1, not yielded.

    def _point(self, name):
        return self._analysis.mcft_points()[name]

    @property
    def crack_width(self):
        """(elements, 9) average crack width in mm (0 where uncracked)."""
        return self._point("crack_width")

    @property
    def condition(self):
        """(elements, 9) int8 index into CONDITIONS: 0 uncracked, 1 cracked, 2 past peak, 3 crushed."""
        return self._point("condition")

    @property
    def principal_strain(self):
        """(elements, 9, 2) principal strains e1 >= e2."""
        points = self._analysis.mcft_points()
        return np.stack([points["e1"], points["e2"]], axis=-1)

    @property
    def principal_concrete_stress(self):
        """(elements, 9, 2) concrete stresses f1, f2 along e1 and e2 (N/mm2)."""
        points = self._analysis.mcft_points()
        return np.stack([points["f1"], points["f2"]], axis=-1)

    @property
    def crack_angle(self):
        """(elements, 9) angle of e1 from x in rad; cracks run square to it."""
        return self._point("theta")

    @property
    def bar_strain(self):
        """(elements, 9, 2) strain of the x and y bars."""
        return self._point("bar_strain")

    @property
    def yielded(self):
        """(elements, 9, 2) True where the x or y bars have yielded."""
        return self._point("yielded")


class Step(tuple):
    """One push-over step: (step, control displacement mm, control force N)."""

    __slots__ = ()

    def __new__(cls, step, displacement_mm, force_N):
        return super().__new__(cls, (step, displacement_mm, force_N))

    step = property(lambda self: self[0])
    displacement_mm = property(lambda self: self[1])
    force_N = property(lambda self: self[2])


class Pushover:
    """A displacement-controlled push-over, one engine step at a time. Iterating it runs it and yields
    a Step after each step done; stop() ends the iteration after the current step. A step the engine
    cannot do ends the run: `status` and `message` then say why."""

    def __init__(self, analysis):
        self._analysis = analysis
        self._stopped = False

    def __iter__(self):
        return self.steps()

    def steps(self):
        a = self._analysis
        while not a.finished and not self._stopped:
            if a.step() != 0:
                return
            row = a.curve()[-1]
            yield Step(int(row[0]), float(row[1]), float(row[2]))

    def stop(self):
        self._stopped = True

    def run(self):
        """Runs to the end (or the first step that cannot be done); returns self."""
        for _ in self.steps():
            pass
        return self

    @property
    def curve(self):
        """(steps, 3): step, control displacement (mm), control force (N) of every step done."""
        return self._analysis.curve()

    @property
    def steps_done(self):
        return self._analysis.steps_done

    @property
    def total_steps(self):
        return self._analysis.total_steps

    @property
    def finished(self):
        return self._analysis.finished

    @property
    def status(self):
        """The engine status of the last step (0 done; 3 no response; 4 unstable; 5 refused)."""
        return self._analysis.last_status

    @property
    def message(self):
        """Why the run stopped before its last step ("" otherwise)."""
        return self._analysis.stop_message

    @property
    def results(self):
        """The state after the last step done."""
        return Results(self._analysis)

    # Per step done, in the curve's order. The iterative method brings every step into equilibrium:
    # its iterations (over all attempts), the converged pieces the step was cut into, the residual
    # |R| / |applied force| reached and the load factor of the point-load pattern (the control force
    # is load factor x the pattern's sum). The classic method does one pass a step without an
    # equilibrium check: iterations and pieces 1, residual and load factor NaN.

    @property
    def iterations(self):
        """(steps,) int32 iterations of each step."""
        return self._analysis.step_records()["iterations"]

    @property
    def pieces(self):
        """(steps,) int32 converged pieces of each step (1 when not cut)."""
        return self._analysis.step_records()["pieces"]

    @property
    def residuals(self):
        """(steps,) relative residual at the end of each step."""
        return self._analysis.step_records()["residuals"]

    @property
    def load_factors(self):
        """(steps,) load factor of the point-load pattern after each step."""
        return self._analysis.step_records()["load_factors"]


# ---- studies ----------------------------------------------------------------------------------------

_study_cache = {}


def _run_variant(text, index):
    """Runs one variant of a self-contained study text (in a worker process or on a Dask worker)."""
    study = _study_cache.get(text)
    if study is None:
        _study_cache.clear()
        study = _study_cache[text] = _core.Study.from_text(text)
    return index, study.run(index)


class StudyResult:
    """What a study wrote: the folder, the counts, and the summary rows."""

    def __init__(self, folder, counts):
        self.folder = folder
        self.counts = counts

    @property
    def summary_path(self):
        return os.path.join(self.folder, "summary.csv")

    @property
    def summary_text(self):
        with open(self.summary_path) as f:
            return f.read()

    @property
    def rows(self):
        """The summary, one dict a variant (values as the CSV has them, text)."""
        with open(self.summary_path, newline="") as f:
            return list(csv.DictReader(f))

    def curve(self, variant):
        """(steps, 3) curve of variant `variant` (counted from 1): step, displacement mm, force N."""
        path = os.path.join(self.folder, "variants", f"variant_{variant:04d}_curve.csv")
        # The columns after the force name the method and its record (text for the classic method).
        return np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2, usecols=(0, 1, 2))


def study(study_definition, workers=None, scheduler=None, progress=None):
    """Runs a parameter study (docs/studies.md): `study_definition` is a study file's path or the study as a dict.
    workers=1 runs in this process, workers=N (default: one a core) in N processes; scheduler= the
    address of a Dask distributed scheduler runs the variants on its cluster. Variants already recorded
    are not run again. progress(index, record_dict) is called as each variant ends."""
    if isinstance(study_definition, dict):
        core = _core.Study.from_text(json.dumps(study_definition))
    else:
        core = _core.Study.load(os.fspath(study_definition))
    pending = core.pending()
    text = core.text()

    def done(index, record):
        core.write_record(index, record)
        if progress:
            progress(index, json.loads(record))

    if pending and scheduler is not None:
        _run_on_cluster(core, text, pending, scheduler, done)
    elif pending and (workers or os.cpu_count() or 1) == 1:
        for index in pending:
            done(index, core.run(index))
    elif pending:
        _run_in_processes(core, text, pending, workers or os.cpu_count(), done)
    return StudyResult(core.output_folder, core.gather())


def _run_in_processes(core, text, pending, workers, done):
    import concurrent.futures
    import multiprocessing

    context = multiprocessing.get_context("fork")
    with concurrent.futures.ProcessPoolExecutor(max_workers=workers, mp_context=context) as pool:
        futures = {pool.submit(_run_variant, text, index): index for index in pending}
        for future in concurrent.futures.as_completed(futures):
            try:
                index, record = future.result()
            except Exception as e:  # the worker died: record the variant as failed and go on
                core.write_failure(futures[future], f"the variant's process failed: {e}")
                continue
            done(index, record)


def _run_on_cluster(core, text, pending, scheduler, done):
    from dask.distributed import Client, as_completed

    with Client(scheduler) as client:
        futures = client.map(_run_variant, [text] * len(pending), pending, pure=False)
        index_of = {future.key: index for future, index in zip(futures, pending)}
        for future in as_completed(futures):
            try:
                index, record = future.result()
            except Exception as e:
                core.write_failure(index_of[future.key], f"the variant failed on the cluster: {e}")
                continue
            done(index, record)
