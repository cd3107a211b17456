// dither-gen: writes the driver's 42 halftone tables as a resource script.
// Each table is a resource of type 263: cell width and height (16 bits each),
// a 256-byte transfer curve and 2048 threshold bytes (cell width x cell
// height used, row by row). A threshold is the grey level up to which its
// position prints black: the positions that darken first hold the highest
// thresholds.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Kind { Cluster, Dispersed, Line0, Line45, Line90 };

struct Screen {
  int id;
  Kind kind;
  int width, height;
  double gamma;  // transfer curve: out = 255 (in / 255) ^ gamma; above 1 makes mid-tones lighter
  const char* use;
};

// Mesh screens: 1-12 and 31-39 (6 is the default); line screens: 13-24 and
// 40-48 (18 is the default). The model files pick three per resolution.
const Screen kScreens[] = {
    {1, Kind::Cluster, 6, 6, 1.00, "mesh 300 dpi, fine"},
    {2, Kind::Dispersed, 8, 8, 1.00, "mesh 300 dpi, dispersed"},
    {3, Kind::Cluster, 8, 8, 1.00, "mesh 300 dpi, coarse"},
    {4, Kind::Cluster, 8, 8, 1.15, "mesh 600 dpi, fine"},
    {5, Kind::Dispersed, 16, 16, 1.10, "mesh 600 dpi, dispersed"},
    {6, Kind::Dispersed, 16, 16, 1.00, "mesh, default"},
    {7, Kind::Cluster, 12, 12, 1.15, "mesh 600 dpi, coarse"},
    {8, Kind::Cluster, 12, 12, 1.30, "mesh 1200 dpi, fine"},
    {9, Kind::Dispersed, 32, 32, 1.25, "mesh 1200 dpi, dispersed"},
    {10, Kind::Cluster, 16, 16, 1.30, "mesh 1200 dpi, coarse"},
    {11, Kind::Cluster, 8, 32, 1.30, "mesh 600 x 2400, fine"},
    {12, Kind::Cluster, 12, 48, 1.30, "mesh 600 x 2400, coarse"},
    {13, Kind::Line45, 6, 6, 1.00, "line 300 dpi, fine"},
    {14, Kind::Line45, 8, 8, 1.00, "line 300 dpi"},
    {15, Kind::Line0, 1, 8, 1.00, "line 300 dpi, horizontal"},
    {16, Kind::Line45, 8, 8, 1.15, "line 600 dpi, fine"},
    {17, Kind::Line90, 8, 1, 1.15, "line 600 dpi, vertical"},
    {18, Kind::Line45, 8, 8, 1.00, "line, default"},
    {19, Kind::Line45, 12, 12, 1.20, "line 600 dpi, coarse"},
    {20, Kind::Line0, 1, 12, 1.20, "line 1200 dpi, horizontal"},
    {21, Kind::Line45, 16, 16, 1.30, "line 1200 dpi"},
    {22, Kind::Line0, 1, 16, 1.30, "line 1200 dpi, coarse"},
    {23, Kind::Line45, 8, 32, 1.30, "line 600 x 2400"},
    {24, Kind::Line0, 1, 24, 1.30, "line 600 x 2400, horizontal"},
    {31, Kind::Cluster, 10, 40, 1.30, "mesh 600 x 2400, medium"},
    {32, Kind::Cluster, 8, 8, 1.20, "mesh 600 dpi, office"},
    {33, Kind::Cluster, 14, 14, 1.35, "mesh 1200 dpi, office"},
    {34, Kind::Cluster, 16, 16, 1.40, "mesh 1200 dpi, office coarse"},
    {35, Kind::Cluster, 6, 6, 1.10, "mesh 600 dpi, text"},
    {36, Kind::Dispersed, 8, 8, 1.10, "mesh 600 dpi, dispersed text"},
    {37, Kind::Cluster, 10, 10, 1.20, "mesh 600 dpi, photo"},
    {38, Kind::Dispersed, 4, 4, 1.00, "mesh, small dispersed"},
    {39, Kind::Cluster, 20, 20, 1.40, "mesh 1200 dpi, photo"},
    {40, Kind::Line45, 10, 10, 1.15, "line 600 dpi, medium"},
    {41, Kind::Line45, 12, 12, 1.25, "line 1200 dpi, office"},
    {42, Kind::Line45, 14, 14, 1.30, "line 1200 dpi, office medium"},
    {43, Kind::Line45, 16, 16, 1.35, "line 1200 dpi, office coarse"},
    {44, Kind::Line0, 1, 10, 1.10, "line 600 dpi, horizontal text"},
    {45, Kind::Line0, 1, 12, 1.15, "line 600 dpi, horizontal"},
    {46, Kind::Line90, 12, 1, 1.15, "line 600 dpi, vertical"},
    {47, Kind::Line45, 20, 20, 1.40, "line 1200 dpi, photo"},
    {48, Kind::Line45, 24, 24, 1.40, "line 1200 dpi, poster"},
};
constexpr size_t kTables = sizeof(kScreens) / sizeof(kScreens[0]);
static_assert(kTables == 42);
constexpr int kMatrixBytes = 2048;
constexpr int kTableBytes = 4 + 256 + kMatrixBytes;

// Cyclic distance of v from c in a period.
double CyclicDistance(double v, double c, double period) {
  double d = std::fabs(std::fmod(v - c + period * 1.5, period) - period / 2);
  return d;
}

// How early a position darkens (smaller first) for the screen kinds.
double Priority(const Screen& s, int x, int y) {
  double cx = (s.width - 1) / 2.0, cy = (s.height - 1) / 2.0;
  switch (s.kind) {
    case Kind::Cluster: {
      // A round dot growing from the cell's centre (the cell scaled to a square).
      double dx = (x - cx) / s.width, dy = (y - cy) / s.height;
      return std::hypot(dx, dy) + 1e-6 * std::atan2(dy, dx);
    }
    case Kind::Line0: return CyclicDistance(y, cy, s.height) + 1e-3 * x;
    case Kind::Line90: return CyclicDistance(x, cx, s.width) + 1e-3 * y;
    case Kind::Line45: {
      // Diagonal lines: one per cell, the cell scaled to a square.
      double u = double(x) / s.width + double(y) / s.height;
      return CyclicDistance(u, 1.0, 1.0) + 1e-4 * (x + y * s.width) / (s.width * s.height);
    }
    case Kind::Dispersed: break;
  }
  return 0;
}

// Recursive ordering of a square power-of-two cell: neighbours darken apart.
int DispersedRank(int x, int y, int n) {
  int v = 0;
  for (int bit = n / 2; bit >= 1; bit /= 2) {
    int xb = (x & bit) ? 1 : 0, yb = (y & bit) ? 1 : 0;
    v = v * 4 + ((xb ^ yb) | (yb << 1));
  }
  return v;
}

std::vector<uint8_t> Table(const Screen& s) {
  std::vector<uint8_t> t(kTableBytes, 0);
  t[0] = uint8_t(s.width);
  t[1] = uint8_t(s.width >> 8);
  t[2] = uint8_t(s.height);
  t[3] = uint8_t(s.height >> 8);
  for (int i = 0; i < 256; ++i) t[4 + i] = uint8_t(std::lround(255.0 * std::pow(i / 255.0, s.gamma)));
  int n = s.width * s.height;
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  if (s.kind == Kind::Dispersed) {
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      return DispersedRank(a % s.width, a / s.width, s.width) < DispersedRank(b % s.width, b / s.width, s.width);
    });
  } else {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return Priority(s, a % s.width, a / s.width) < Priority(s, b % s.width, b / s.width);
    });
  }
  // The first to darken gets the highest threshold; thresholds spread 1..254.
  for (int rank = 0; rank < n; ++rank) {
    int threshold = n == 1 ? 128 : 254 - int(std::lround(253.0 * rank / (n - 1)));
    t[4 + 256 + order[rank]] = uint8_t(threshold);
  }
  return t;
}

std::string Script() {
  std::ostringstream out;
  out << "// KADU dither tables (InitDataFile1 of KADU.DAT), resource type 263.\n"
         "// Generated by tools/dither-gen; do not edit. Each table: cell width and\n"
         "// height, a 256-byte transfer curve, 2048 threshold bytes (16-bit words,\n"
         "// low byte first).\n";
  for (const Screen& s : kScreens) {
    std::vector<uint8_t> t = Table(s);
    out << "\n// " << s.id << ": " << s.use << ", " << s.width << " x " << s.height << "\n";
    out << s.id << " 263\nBEGIN\n";
    char buf[16];
    for (size_t i = 0; i < t.size(); i += 2) {
      std::snprintf(buf, sizeof buf, "0x%04X", unsigned(t[i] | (t[i + 1] << 8)));
      out << (i % 24 == 0 ? "  " : " ") << buf << (i + 2 < t.size() ? "," : "");
      if (i % 24 == 22 || i + 2 >= t.size()) out << "\n";
    }
    out << "END\n";
  }
  return out.str();
}

void Usage(std::ostream& os) {
  os << "usage: dither-gen [--output FILE | --check FILE]\n"
        "Writes the driver's 42 halftone tables as a resource script (to standard\n"
        "output, or to FILE). --check compares FILE with what would be written and\n"
        "fails when they differ.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string output, check;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage(std::cout);
      return 0;
    } else if ((a == "--output" || a == "--check") && i + 1 < argc) {
      (a == "--output" ? output : check) = argv[++i];
    } else {
      std::cerr << "dither-gen: unknown argument '" << a << "'\n";
      Usage(std::cerr);
      return 2;
    }
  }
  std::string script = Script();
  if (!check.empty()) {
    std::ifstream in(check, std::ios::binary);
    std::string have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && have.empty()) {
      std::cerr << "dither-gen: cannot read " << check << "\n";
      return 1;
    }
    if (have != script) {
      std::cerr << "dither-gen: " << check << " is not what dither-gen writes; run dither-gen --output " << check
                << "\n";
      return 1;
    }
    return 0;
  }
  if (output.empty()) {
    std::cout << script;
    return 0;
  }
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out << script;
  if (!out.flush()) {
    std::cerr << "dither-gen: cannot write " << output << "\n";
    return 1;
  }
  std::cerr << "dither-gen: wrote " << kTables << " tables to " << output << "\n";
  return 0;
}
