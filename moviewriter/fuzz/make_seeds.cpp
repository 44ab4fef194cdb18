// Writes the seed movies of the reader's fuzz target: make_seeds FOLDER.
// Run it again (and commit the result) when the writer's output changes.
#include <string>
#include <vector>

#include "moviewriter/HVMovie.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = std::string(argv[1]) + "/";
  {
    HVMovie movie;
    movie.Frame(0);
    movie.WriteMovie((dir + "empty.kmv").c_str());
  }
  {
    std::vector<U8> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F', 0xFF, 0xD9};
    HVBitmap bitmap(0, 0, 200, 100, 10, 5, jpeg.data(), static_cast<U32>(jpeg.size()));
    HVMovie movie;
    movie.width = 200;
    movie.height = 100;
    movie.Frame(0)->AddObject(&bitmap);
    movie.WriteMovie((dir + "jpeg.kmv").c_str());
  }
  {
    std::vector<U8> table = {255, 0, 0, 0, 0, 255, 0, 128, 0};
    std::vector<U8> pixels = {0, 1, 2, 0, 2, 2, 1, 0};
    HVBitmap bitmap(0, 0, 60, 40, 3, 3, 2, 3, false, pixels.data(), table.data());
    HVMovie movie;
    movie.width = 60;
    movie.height = 40;
    movie.Frame(0)->AddObject(&bitmap);
    movie.WriteMovie((dir + "lossless.kmv").c_str());
  }
  {
    HVRectangle a(0, 0, 200, 100), b(-50, -60, 70000, 30);
    a.rotation = 90 << 16;
    a.depth = 3;
    b.fillColor[0] = 10;
    b.x = 40;
    HVMovie movie;
    movie.Frame(0)->AddObject(&a);
    movie.Frame(0)->AddObject(&b);
    a.RemoveFromFrame(movie.Frame(2), &movie);
    movie.WriteMovie((dir + "shapes.kmv").c_str());
  }
  return 0;
}
