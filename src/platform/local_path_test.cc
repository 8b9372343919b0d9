#include "platform/local_path.h"

#include <gtest/gtest.h>

namespace tallowgate {
namespace {

TEST(LocalPath, RootsDrivePathsAndKeepsRelativeOnes) {
  struct Case {
    const char* path;
    const char* root;
    const char* want;
  } cases[] = {
      {"\\kestrano\\CMC\\glb\\glb_tmp.r2c", "/tmp/drive", "/tmp/drive/kestrano/CMC/glb/glb_tmp.r2c"},
      {"\\kestrano\\CMC\\glb\\glb_tmp.r2c", "/tmp/drive/", "/tmp/drive/kestrano/CMC/glb/glb_tmp.r2c"},
      {"\\grib2\\today.txt", "", "/grib2/today.txt"},
      {"\\grib2\\today.txt", "/", "/grib2/today.txt"},
      {"..\\..\\runReport.txt", "/tmp/drive", "../../runReport.txt"},
      {"grib_list.txt", "/tmp/drive", "grib_list.txt"},
      {"\\kestrano\\CMC\\CaPA\\202401  _capa.r2c", "/d", "/d/kestrano/CMC/CaPA/202401  _capa.r2c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(local_path(c.path, c.root), c.want);
  }
}

TEST(LocalPath, WindowsPathsAreNativeAndTakeTheTestDrive) {
  struct Case {
    const char* path;
    const char* drive;
    const char* want;
  } cases[] = {
      {"\\kestrano\\CMC\\glb\\glb_tmp.r2c", "", "\\kestrano\\CMC\\glb\\glb_tmp.r2c"},
      {"\\kestrano\\CMC\\glb\\glb_tmp.r2c", "D:", "D:\\kestrano\\CMC\\glb\\glb_tmp.r2c"},
      {"\\grib2\\today.txt", "D:\\some\\dir", "D:\\some\\dir\\grib2\\today.txt"},
      {"\\grib2\\today.txt", "D:\\some\\dir\\", "D:\\some\\dir\\grib2\\today.txt"},
      {"\\grib2\\today.txt", "Z:/tmp/drive/", "Z:\\tmp\\drive\\grib2\\today.txt"},
      {"..\\..\\runReport.txt", "D:", "..\\..\\runReport.txt"},
      {"grib_list.txt", "D:", "grib_list.txt"},
      {"\\\\server\\share\\a.r2c", "D:", "\\\\server\\share\\a.r2c"},
      {"\\kestrano\\CMC\\CaPA\\202401  _capa.r2c", "D:", "D:\\kestrano\\CMC\\CaPA\\202401  _capa.r2c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(windows_local_path(c.path, c.drive), c.want);
  }
}

}  // namespace
}  // namespace tallowgate
