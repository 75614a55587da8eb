// The picture of a render: the input's and the output's waveform envelope for each channel (left lane
// above, right lane below), the threshold as a line in both, and the gain reduction as a curve on an
// axis of its own (0 dB at the top, growing downwards), with time and dB axes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/imagefile/ImageFile.h"
#include "tools/render/PlotColumns.h"

namespace Render {

namespace PlotColors {
constexpr std::uint32_t background = 0xFF15181Cu, area = 0xFF1D2228u, grid = 0xFF2E353Du, axis = 0xFF56606Bu;
constexpr std::uint32_t text = 0xFFC2C9D0u, input = 0xFF4D6A89u, output = 0xFFD3AD6Bu;
constexpr std::uint32_t threshold = 0xFF62C98Au, reduction = 0xFFE5484Du, ceilingReduction = 0xFFB35CE0u;
}  // namespace PlotColors

// Where things go in the picture. The plot area spans columns areaLeft..areaLeft+columns-1 and rows
// areaTop..areaBottom-1; each channel has a lane of half the area.
struct PlotLayout {
    int width = 1200, height = 500;
    int areaLeft = 64, areaTop = 46, areaRight = 1128, areaBottom = 456;
    double seconds = 0.0;
    double amplitudeScale = 1.0;  // the amplitude at a lane's edge
    double reductionRangeDb = 6.0;  // the gain-reduction axis runs from 0 dB (top) to this (bottom)

    int columns() const { return areaRight - areaLeft; }
    float laneCenter(int channel) const;
    float amplitudeY(int channel, double amplitude) const;
    float reductionY(double db) const;
    float timeX(double at) const;
};

// The layout for a picture of width by height of so many seconds, the input peaking at inputPeak
// (linear) and the largest column reduction reductionDb.
PlotLayout planPlot(int width, int height, double seconds, double inputPeak, double reductionDb);

ImageFile::Picture drawPlot(const PlotLayout& layout, const std::vector<PlotColumn>& columns,
                            std::optional<double> thresholdDb, const std::string& title);

}  // namespace Render
