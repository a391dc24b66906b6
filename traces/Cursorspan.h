#pragma once

#include <optional>
#include <string>

#include "traces/Graphgeometry.h"
#include "traces/Stepresponse.h"
#include "traces/Tracestore.h"

/// What the analysis panel shows for the span between cursor A and cursor B.
namespace cursorspan {

/// Key=value lines for cursors on samples `a` and `b` (either order) of `store`, recorded every
/// `periodMs`: dt (B - A in seconds, three decimals), then d_KEY (B - A in display units) for
/// each visible trace, then the step-response figures of the span between them (see
/// stepresponse::FormatFigures). With no recorded sample in the span the figures are left out
/// and a line "figures=none" says so.
std::string SpanText(const TraceStore& store, int a, int b, int periodMs,
                     const graph::Visibility& visible, const stepresponse::Options& options = {});

/// The step-response figures of the same span of a reference run (aligned at its first
/// sample, recorded every `periodMs`), each key prefixed "ref_"; "ref_figures=none" when the
/// reference holds no sample of the span.
std::string ReferenceText(const TraceStore& reference, int a, int b, int periodMs,
                          const stepresponse::Options& options = {});

/// The analysis panel's text: SpanText while both cursors stand on a sample, else one line
/// saying which cursor to set.
std::string PanelText(const TraceStore& store, std::optional<int> a, std::optional<int> b,
                      int periodMs, const graph::Visibility& visible,
                      const stepresponse::Options& options = {});

inline constexpr std::string_view NoCursorA = "Click the chart to place cursor A.\n";
inline constexpr std::string_view NoCursorB = "Shift+click the chart to place cursor B.\n";

}  // namespace cursorspan
