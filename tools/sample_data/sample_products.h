#ifndef TALLOWGATE_SAMPLE_DATA_SAMPLE_PRODUCTS_H_
#define TALLOWGATE_SAMPLE_DATA_SAMPLE_PRODUCTS_H_

// The sample files of each application code: their names, grids and times. Pure: nothing here touches
// the disk or ecCodes.
//
// Every product starts at the base time 2025-08-24 00 UTC. Forecasts come from 00 UTC runs. Files of one
// code sort by name in the order of their valid times, so a directory listing in name order gives frames
// in time order. With the default of 4 files a code produces:
//
//   capa15       2025082400_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps15km.grib2   (06, 12, 18 likewise)
//   capa10       2025082400_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km.grib2   (06, 12, 18 likewise)
//   capa         2025082400_000_CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km.grib2   date first, "cutoff" at
//   38-43
//                CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km_2025082406_000.grib2   "cutoff" at 23-28
//                CMC_RDPA_APCP-006-0700cutoff_SFC_0_ps10km_2025082412_000.grib2
//                CMC_RDPA_APCP-006_SFC_0_ps10km_2025082418_000.grib2              no cutoff, date at 32-41
//   RDPA         20250824T00Z_MSC_RDPA_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2    (T06Z, T12Z, T18Z likewise)
//   RDPS-TMP-HC  20250824T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT000H.grib2    (PT006H, PT012H, PT018H)
//   RDPS-PCP-FC  20250824T00Z_MSC_RDPS_Precip-Accum6h_Sfc_RLatLon0.09_PT006H.grib2 (PT012H, PT018H, PT024H)
//   RDPS-TMP-FC  20250824T00Z_MSC_RDPS_AirTemp_AGL-2m_RLatLon0.09_PT000H.grib2    (PT006H, PT012H, PT018H)
//   RDPA_prelim  20250824T00Z_MSC_RDPA-Prelim_APCP-Accum6h_Sfc_RLatLon0.09_PT0H.grib2 (T06Z, T12Z, T18Z)
//   rglT         CMC_reg_TMP_TGL_2_ps10km_2025082400_P000.grib2                   (P006, P012, P018)
//   regP         CMC_reg_APCP_SFC_0_ps10km_2025082400_P006.grib2                  (P012, P018, P024)
//   regT         CMC_reg_TMP_TGL_2_ps10km_2025082400_P000.grib2                   (P006, P012, P018)
//   glbP         CMC_glb_APCP_SFC_0_latlon.15x.15_2025082400_P006.grib2           (P012, P018, P024)
//   glbT         CMC_glb_TMP_TGL_2_latlon.15x.15_2025082400_P000.grib2            (P006, P012, P018)
//   glbSP        CMC_glb_APCP_SFC_0_latlon.15x.15_2025082400_P006.grib2           (P012, P018, P024)
//   glbST        CMC_glb_TMP_TGL_2_latlon.15x.15_2025082400_P000.grib2            (P006, P012, P018)
//   hreP         CMC_hrdps_east_APCP_SFC_0_ps2.5km_2025082400_P006-00.grib2       (P012, P018, P024)
//   hreT         CMC_hrdps_east_TMP_TGL_2_ps2.5km_2025082400_P000-00.grib2        (P006, P012, P018)
//   rdrP         CMC_RADAR_APCP_SFC_0_2025082400.grib2                            (01, 02, 03 likewise)
//
// More files continue the same pattern: the single-run forecasts (RDPS-PCP-FC, RDPS-TMP-FC, regP, regT,
// glbP, glbT, hreP, hreT) go on every 6 hours of the same run; the daily-run codes (RDPS-TMP-HC, rglT,
// glbSP, glbST) take four forecast hours from each 00 UTC run and go on with the next day's run; the
// analyses go on every 6 hours (rdrP every hour). capa splits its files into three groups in name order:
// a third (rounded down) date first, a third with no cutoff last, the rest with "cutoff" at 23-28.

#include <string>
#include <string_view>
#include <vector>

#include "sample_values.h"

namespace tallowgate {

constexpr int kDefaultSampleFiles = 4;
// Eight 6-hour steps keep every forecast hour within 0 to 48, which the two-digit hour fields of the
// regional and RDPS names can hold.
constexpr int kMaxSampleFiles = 8;

struct SampleFile {
  std::string name;
  SampleFamily family;
  bool analysis = false;
  // The message's reference time, in hours after the base time: the model run of a forecast, the start of
  // the accumulation window of an analysis.
  int reference_hour = 0;
  // Valid time minus reference time: the forecast hour, or an analysis' accumulation window.
  int forecast_hour = 0;
  // Length of the accumulation that ends at the valid time; 0 for temperature.
  int accumulation_hours = 0;
  // Whether a bitmap leaves out the points of sample_missing(), as in the real files of the regional
  // temperature forecasts and of the CaPA and RDPA analyses.
  bool bitmap = false;

  // The valid time in hours after the base time: the `step` of sample_value().
  int step() const { return reference_hour + forecast_hour; }
};

// The 18 application codes, in the converter's order.
const std::vector<std::string_view>& sample_product_codes();

// The files `count` sample files of `code` are made of, in name order. Empty for a code that is not one of
// sample_product_codes() and for a count outside 1 to kMaxSampleFiles.
std::vector<SampleFile> sample_files(std::string_view code, int count);

// Where `all` puts the files of `code` below its output directory: a download directory of the month of
// the base time, "GRIB2/<code>/202508".
std::string sample_download_directory(std::string_view code);

// Calendar time `hours` after the base time.
struct SampleTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
};
SampleTime sample_time(int hours);

}  // namespace tallowgate

#endif  // TALLOWGATE_SAMPLE_DATA_SAMPLE_PRODUCTS_H_
