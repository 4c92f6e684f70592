#include <gtest/gtest.h>

#include "coverage/report_format.h"

namespace zeltlog {
namespace {

CoverageReport Sample(bool withField) {
  CoverageReport r;
  r.log = "logs/JOB12.LOG";
  r.sprayedAreaHa = 1.5;
  r.grossSprayedAreaHa = 1.60000004;
  r.overlapAreaHa = 0.10000004;
  if (withField) {
    r.fieldAreaHa = 2.2;
    r.skippedAreaHa = 0.7;
    r.outsideAreaHa = 0.0;
    r.coveragePercent = 68.181818;
  }
  r.volumeL = 81.25;
  r.appliedRateLPerHa = 54.1666667;
  r.targetRateLPerHa = 50.0;
  r.sprayingTimeS = 80.0;
  r.distanceM = 1234.56;
  r.fixes = 96;
  r.runs = {{1, 30000.0, 30020.0, 0.4, 0.4}, {2, 30026.4, 30046.0, 0.40000004, 0.35}};
  return r;
}

TEST(ReportFormat, TableWithAndWithoutField) {
  EXPECT_EQ(FormatReportTable(Sample(true)),
            "Log:                logs/JOB12.LOG\n"
            "Sprayed area:       1.5000 ha\n"
            "Gross sprayed area: 1.6000 ha\n"
            "Overlap area:       0.1000 ha\n"
            "Field area:         2.2000 ha\n"
            "Skipped area:       0.7000 ha\n"
            "Outside area:       0.0000 ha\n"
            "Coverage:           68.18 %\n"
            "Volume:             81.2 l\n"
            "Applied rate:       54.17 l/ha\n"
            "Target rate:        50.00 l/ha\n"
            "Spraying time:      80.0 s\n"
            "Distance:           1234.6 m\n"
            "Fixes:              96\n"
            "Runs:               2\n"
            "   Run     Start       End   Gross ha     Net ha\n"
            "     1  08:20:00  08:20:20     0.4000     0.4000\n"
            "     2  08:20:26  08:20:46     0.4000     0.3500\n");
  CoverageReport bare;
  bare.log = "A.LOG";
  EXPECT_EQ(FormatReportTable(bare),
            "Log:                A.LOG\n"
            "Sprayed area:       0.0000 ha\n"
            "Gross sprayed area: 0.0000 ha\n"
            "Overlap area:       0.0000 ha\n"
            "Field area:         -\n"
            "Skipped area:       -\n"
            "Outside area:       -\n"
            "Coverage:           -\n"
            "Volume:             0.0 l\n"
            "Applied rate:       -\n"
            "Target rate:        -\n"
            "Spraying time:      0.0 s\n"
            "Distance:           0.0 m\n"
            "Fixes:              0\n"
            "Runs:               0\n");
}

TEST(ReportFormat, JsonArrayOneObjectPerLog) {
  CoverageReport second = Sample(false);
  second.log = "B\xFF.LOG";  // not UTF-8
  second.runs.clear();
  EXPECT_EQ(FormatReportJson({Sample(true), second}), R"([
  {
    "log": "logs/JOB12.LOG",
    "sprayed_area_ha": 1.5,
    "gross_sprayed_area_ha": 1.6,
    "overlap_area_ha": 0.1,
    "field_area_ha": 2.2,
    "skipped_area_ha": 0.7,
    "outside_area_ha": 0.0,
    "coverage_percent": 68.18,
    "volume_l": 81.25,
    "applied_rate_l_per_ha": 54.17,
    "target_rate_l_per_ha": 50.0,
    "spraying_time_s": 80.0,
    "distance_m": 1234.56,
    "fixes": 96,
    "runs": [
      {
        "run": 1,
        "start_time_s": 30000.0,
        "end_time_s": 30020.0,
        "gross_area_ha": 0.4,
        "net_area_ha": 0.4
      },
      {
        "run": 2,
        "start_time_s": 30026.4,
        "end_time_s": 30046.0,
        "gross_area_ha": 0.4,
        "net_area_ha": 0.35
      }
    ]
  },
  {
    "log": "B�.LOG",
    "sprayed_area_ha": 1.5,
    "gross_sprayed_area_ha": 1.6,
    "overlap_area_ha": 0.1,
    "field_area_ha": null,
    "skipped_area_ha": null,
    "outside_area_ha": null,
    "coverage_percent": null,
    "volume_l": 81.25,
    "applied_rate_l_per_ha": 54.17,
    "target_rate_l_per_ha": 50.0,
    "spraying_time_s": 80.0,
    "distance_m": 1234.56,
    "fixes": 96,
    "runs": []
  }
]
)");
  EXPECT_EQ(FormatReportJson({}), "[]\n");
}

}  // namespace
}  // namespace zeltlog
