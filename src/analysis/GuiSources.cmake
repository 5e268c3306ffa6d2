# The files of src/analysis that use Qt; every other file there belongs to torva_core.
set(ANALYSIS_GUI_FILES
  AnalysisView.cpp
  ResponseFrame.cpp
)
