#pragma once

class QJsonObject;
class kuChartCore;
class kuChartObject;

// Start-up hands the chart core the makers of the drawing objects.
namespace kuChartObjects {
// Types 1 to 7: text, vertical, horizontal and trend line, Fibonacci retracement, arcs and channel.
void registerMakers();
// A text label: a saved one from its JSON, or a new one written in the text
// dialog first; null when the dialog gives no text.
kuChartObject* makeText(kuChartCore* core, const QJsonObject& json);
} // namespace kuChartObjects
