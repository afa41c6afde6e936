// Decoding the page pictures.
#include "ui/JpegImage.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace velmora::ui {
namespace {

TEST(DecodeJpeg, PagePicturesDecodeAtTheirSizeWithTheirBands) {
  for (const char* name : {"page-a.jpg", "page-welcome.jpg", "page-finish.jpg", "page-location.jpg"}) {
    SCOPED_TRACE(name);
    const test::Bytes jpeg = test::ReadFile(std::string(VELMORA_RESOURCES_DIR) + "/art/" + name);
    TImage image;
    ASSERT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size(), image));
    EXPECT_EQ(image.width, 507);
    EXPECT_EQ(image.height, 394);
    auto pixel = [&](int x, int y) { return image.bgr.data() + size_t(y) * image.RowBytes() + 3 * size_t(x); };
    // The dark title band at the top (blue above red), the light button band at the bottom.
    EXPECT_GT(int(pixel(250, 5)[0]), int(pixel(250, 5)[2]) + 40);
    EXPECT_GT(int(pixel(250, 380)[1]), 200);
  }
}

TEST(DecodeJpeg, NotAPictureIsRefusedWithoutEndingTheProgram) {
  const test::Bytes junk(1000, 0x42);
  TImage image;
  EXPECT_FALSE(DecodeJpeg(junk.data(), junk.size(), image));
  test::Bytes cut = test::ReadFile(std::string(VELMORA_RESOURCES_DIR) + "/art/page-a.jpg");
  cut.resize(40);
  EXPECT_FALSE(DecodeJpeg(cut.data(), cut.size(), image));
}

}  // namespace
}  // namespace velmora::ui
