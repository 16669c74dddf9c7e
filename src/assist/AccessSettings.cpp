// SPDX-License-Identifier: GPL-3.0-or-later
// The values in force now, each kept within the range the settings window offers.
#include "AccessSettings.h"

#include <algorithm>
#include <cmath>

namespace assist {

namespace {

double tenths(double seconds, double least, double most)
{
    if (!std::isfinite(seconds))
        seconds = least;
    return std::round(std::clamp(seconds, least, most) * 10.0) / 10.0;
}

} // namespace

AccessSettings AccessSettings::bounded() const
{
    AccessSettings settings = *this;
    settings.dwellSeconds = tenths(dwellSeconds, MinDwellSeconds, MaxDwellSeconds);
    settings.scanSeconds = tenths(scanSeconds, MinScanSeconds, MaxScanSeconds);
    return settings;
}

void AccessOptions::set(const AccessSettings &settings)
{
    const AccessSettings bounded = settings.bounded();
    if (bounded == m_current)
        return;
    m_current = bounded;
    Q_EMIT changed();
}

} // namespace assist
