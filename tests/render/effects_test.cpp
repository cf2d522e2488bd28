#include "render/effects.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/rng.h"
#include "render/bitmap24.h"

namespace {

using tessara::Bitmap24;
using tessara::EffectParams;
using tessara::EffectScratch;
using tessara::PixelPath;
using tessara::Rgb;

// ---- a plain picture and the rules written out pixel by pixel ----

struct Px {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Px&, const Px&) = default;
};

struct Picture {
  int w = 0, h = 0;
  std::vector<Px> px;  // screen order: y from the top
  Px& at(int x, int y) { return px[static_cast<std::size_t>(y) * w + x]; }
  const Px& at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

Picture Read(const Bitmap24& bmp) {
  Picture p{bmp.Width(), bmp.Height(), {}};
  p.px.resize(static_cast<std::size_t>(p.w) * p.h);
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const std::uint8_t* q = bmp.Pixel(x, y);
      p.at(x, y) = {q[2], q[1], q[0]};
    }
  return p;
}

void Write(const Picture& p, Bitmap24& bmp) {
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      std::uint8_t* q = bmp.Pixel(x, y);
      q[0] = static_cast<std::uint8_t>(p.at(x, y).b);
      q[1] = static_cast<std::uint8_t>(p.at(x, y).g);
      q[2] = static_cast<std::uint8_t>(p.at(x, y).r);
    }
}

// num / den to the nearest integer, an exact half to the even neighbour.
int RoundHalfEven(int num, int den) {
  int q = num / den;
  const int twiceRest = 2 * (num - q * den);
  if (twiceRest > den || (twiceRest == den && q % 2 == 1)) ++q;
  return q;
}

int RefGray(int r, int g, int b) { return RoundHalfEven(3 * r + 3 * g + 4 * b, 10); }
int RefScale(int c, double factor) {
  const int v = factor > 1 ? RoundHalfEven(3 * c, 2) : RoundHalfEven(3 * c, 4);
  return v > 255 ? 255 : v;
}
Px Mix(Px p, Rgb t) { return {(p.r + t.r) / 2, (p.g + t.g) / 2, (p.b + t.b) / 2}; }

void RefTint(Picture& p, Rgb t) {
  for (Px& q : p.px) q = Mix(q, t);
}

void RefMonochrome(Picture& p, std::optional<Rgb> t) {
  for (Px& q : p.px) {
    const int g = RefGray(q.r, q.g, q.b);
    q = t ? Mix({g, g, g}, *t) : Px{g, g, g};
  }
}

void RefEmboss(Picture& p, std::optional<Rgb> t) {
  const Picture before = p;
  for (int y = 1; y < p.h; ++y)
    for (int x = 1; x < p.w; ++x) {
      const Px self = before.at(x, y);
      const Px ul = before.at(x - 1, y - 1);
      const int g = RefGray(self.r, self.g, self.b) + RefGray(255 - ul.r, 255 - ul.g, 255 - ul.b);
      p.at(x, y) = t ? Px{(g + t->r) / 3, (g + t->g) / 3, (g + t->b) / 3} : Px{g / 2, g / 2, g / 2};
    }
  for (int y = 0; y < p.h; ++y) p.at(0, y) = p.at(p.w - 1, y);
  for (int x = 0; x <= p.w - 2; ++x) p.at(x, 0) = p.at(x, p.h - 1);
  p.at(p.w - 1, 0) = before.at(p.w - 1, 0);
}

void RefBlur(Picture& p, std::optional<Rgb> t) {
  const Picture before = p;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      double sr = 0, sg = 0, sb = 0, weight = 0;
      for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
          const int nx = x + dx, ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= p.w || ny >= p.h) continue;
          const double w = (dx != 0 && dy != 0) ? 0.7 : 1.0;
          sr += w * before.at(nx, ny).r;
          sg += w * before.at(nx, ny).g;
          sb += w * before.at(nx, ny).b;
          weight += w;
        }
      const Px v{static_cast<int>(std::nearbyint(sr / weight)),
                 static_cast<int>(std::nearbyint(sg / weight)),
                 static_cast<int>(std::nearbyint(sb / weight))};
      p.at(x, y) = t ? Mix(v, *t) : v;
    }
}

void RefDisplace(Picture& p, std::optional<Rgb> t) {
  const Picture before = p;
  for (int y = p.h - 1; y >= 0; --y)
    for (int x = 0; x < p.w; ++x) {
      int sx, sy;
      do sx = x + tessara::Random(5) - 2;
      while (sx < 0 || sx > p.w - 1);
      do sy = y + tessara::Random(5) - 2;
      while (sy < 0 || sy > p.h - 1);
      p.at(x, y) = t ? Mix(before.at(sx, sy), *t) : before.at(sx, sy);
    }
}

void RefRaiseEdge(Picture& p, int k) {
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      double f = 1;
      if (x == k || y == k)
        f = 1.5;
      else if (x == p.w - 1 - k || y == p.h - 1 - k)
        f = 0.75;
      if (f == 1) continue;
      Px& q = p.at(x, y);
      q = {RefScale(q.r, f), RefScale(q.g, f), RefScale(q.b, f)};
    }
}

// ---- helpers ----

std::vector<std::uint8_t> Bytes(const Bitmap24& bmp) {
  return {bmp.Bits(), bmp.Bits() + bmp.ByteSize()};
}

// Random pixels and random stride padding, so a pass that writes the padding is caught.
Bitmap24 RandomImage(int w, int h, std::mt19937& gen) {
  Bitmap24 bmp(w, h);
  for (std::size_t i = 0; i < bmp.ByteSize(); ++i) bmp.Bits()[i] = static_cast<std::uint8_t>(gen());
  return bmp;
}

Bitmap24 Filled(int w, int h, Px c) {
  Bitmap24 bmp(w, h);
  Picture p{w, h, std::vector<Px>(static_cast<std::size_t>(w) * h, c)};
  Write(p, bmp);
  return bmp;
}

std::vector<PixelPath> Paths() {
  std::vector<PixelPath> paths{PixelPath::Baseline};
  if (tessara::Avx2PathAvailable()) paths.push_back(PixelPath::Avx2);
  return paths;
}

struct PathGuard {
  ~PathGuard() { tessara::ForcePixelPath(PixelPath::Auto); }
};

constexpr int kGray70 = 0x707070;

Px ApplyTo(Px c, const EffectParams& params) {
  Bitmap24 bmp = Filled(1, 1, c);
  EffectScratch scratch;
  tessara::ApplyEffect(bmp, params, scratch);
  return Read(bmp).at(0, 0);
}

// ---- worked numbers ----

TEST(EffectTint, MixesHalfAndHalfOnlyWhenTintIsOn) {
  EXPECT_EQ(ApplyTo({10, 20, 30}, {0, true, kGray70, 0}), (Px{61, 66, 71}));
  EXPECT_EQ(ApplyTo({10, 20, 30}, {0, false, kGray70, 0}), (Px{10, 20, 30}));
  // Red is the low byte of the colour; each sum's remainder is dropped.
  EXPECT_EQ(ApplyTo({255, 0, 1}, {0, true, 0x030201, 0}), (Px{128, 1, 2}));
}

TEST(EffectMonochrome, GrayRoundsHalvesToEven) {
  struct Case {
    Px in;
    bool tint;
    Px out;
  } cases[] = {
      {{200, 100, 50}, false, {110, 110, 110}},
      {{255, 0, 0}, false, {76, 76, 76}},  // 76.5
      {{5, 0, 0}, false, {2, 2, 2}},       // 1.5
      {{255, 255, 255}, false, {255, 255, 255}},
      {{0, 0, 0}, false, {0, 0, 0}},
      {{200, 100, 50}, true, {111, 111, 111}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ApplyTo(c.in, {1, c.tint, kGray70, 0}), c.out) << c.in.r << "," << c.in.g << "," << c.in.b;
  for (int r = 0; r < 256; r += 3)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 7) ASSERT_EQ(tessara::GrayOf(r, g, b), RefGray(r, g, b));
}

TEST(EffectEmboss, FlatGrayBecomesMiddleGrayExceptTopRight) {
  for (int v : {0, 1, 100, 127, 128, 254, 255}) {
    Bitmap24 bmp = Filled(5, 4, {v, v, v});
    EffectScratch scratch;
    tessara::ApplyEffect(bmp, {2, false, 0, 0}, scratch);
    const Picture p = Read(bmp);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        const Px want = (x == 4 && y == 0) ? Px{v, v, v} : Px{127, 127, 127};
        EXPECT_EQ(p.at(x, y), want) << "gray " << v << " at " << x << "," << y;
      }
  }
}

TEST(EffectBlur, LoneWhitePixelAndCornerWeights) {
  Picture black{5, 5, std::vector<Px>(25)};
  black.at(2, 2) = {255, 255, 255};
  Bitmap24 bmp(5, 5);
  Write(black, bmp);
  EffectScratch scratch;
  tessara::ApplyEffect(bmp, {3, false, 0, 0}, scratch);
  const Picture p = Read(bmp);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const int dx = std::abs(x - 2), dy = std::abs(y - 2);
      const int want = (dx > 1 || dy > 1) ? 0 : (dx == 1 && dy == 1) ? 23 : 33;
      EXPECT_EQ(p.at(x, y), (Px{want, want, want})) << x << "," << y;
    }

  // A corner divides by 3.7: 37 alone gives 10, 255 on the diagonal 178.5 / 3.7 = 48.2.
  Picture corner{3, 3, std::vector<Px>(9)};
  corner.at(0, 0) = {37, 0, 0};
  corner.at(1, 1) = {0, 0, 255};
  Bitmap24 cb(3, 3);
  Write(corner, cb);
  tessara::ApplyEffect(cb, {3, false, 0, 0}, scratch);
  EXPECT_EQ(Read(cb).at(0, 0), (Px{10, 0, 48}));
}

TEST(EffectDisplace, SourcesLieWithinTwoPixelsAndEdgesPullInwards) {
  // Each pixel carries its own position, so the result shows where it came from.
  constexpr int w = 40, h = 200;
  Picture coords{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) coords.px.push_back({x, y, 0});
  Bitmap24 bmp(w, h);
  Write(coords, bmp);
  tessara::RandSeed(12345);
  EffectScratch scratch;
  tessara::ApplyEffect(bmp, {4, false, 0, 0}, scratch);
  const Picture p = Read(bmp);
  int fromColumn[3] = {0, 0, 0};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      ASSERT_LE(std::abs(p.at(x, y).r - x), 2) << x << "," << y;
      ASSERT_LE(std::abs(p.at(x, y).g - y), 2) << x << "," << y;
    }
  for (int y = 0; y < h; ++y) {
    ASSERT_LE(p.at(0, y).r, 2);
    ++fromColumn[p.at(0, y).r];
  }
  for (int n : fromColumn) EXPECT_NEAR(n, h / 3.0, h * 0.12);
  // The generator is the program's own: the same seed gives the same picture.
  Bitmap24 again(w, h);
  Write(coords, again);
  tessara::RandSeed(12345);
  tessara::ApplyEffect(again, {4, false, 0, 0}, scratch);
  EXPECT_EQ(Bytes(again), Bytes(bmp));
}

TEST(EffectRaisedEdge, LightensLeadingRingAndDarkensTrailingOne) {
  struct Case {
    int borderType;
    std::vector<std::string> map;  // + lightened, - darkened, . unchanged
  } cases[] = {
      {2, {"++++++", "+....-", "+....-", "+....-", "+-----"}},
      {3, {".+..-.", "++++++", ".+..-.", "-+----", ".+..-."}},  // whole rows and columns, even in the outer ring
      {1, {"......", "......", "......", "......", "......"}},
  };
  for (const Case& c : cases) {
    Bitmap24 bmp = Filled(6, 5, {100, 200, 1});
    EffectScratch scratch;
    tessara::ApplyEffect(bmp, {-1, false, 0, c.borderType}, scratch);
    const Picture p = Read(bmp);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const char m = c.map[y][x];
        const Px want = m == '+' ? Px{150, 255, 2} : m == '-' ? Px{75, 150, 1} : Px{100, 200, 1};
        EXPECT_EQ(p.at(x, y), want) << "border " << c.borderType << " at " << x << "," << y;
      }
  }
}

TEST(EffectNone, LeavesEveryByteIncludingPaddingUnchanged) {
  std::mt19937 gen(7);
  for (int effect : {-1, 5, 99, -7}) {
    Bitmap24 bmp = RandomImage(5, 3, gen);
    const auto before = Bytes(bmp);
    EffectScratch scratch;
    tessara::ApplyEffect(bmp, {effect, true, kGray70, 0}, scratch);
    EXPECT_EQ(Bytes(bmp), before) << "effect " << effect;
  }
  // Tint alone with the tint off changes nothing either.
  Bitmap24 bmp = RandomImage(5, 3, gen);
  const auto before = Bytes(bmp);
  EffectScratch scratch;
  tessara::ApplyEffect(bmp, {0, false, kGray70, 1}, scratch);
  EXPECT_EQ(Bytes(bmp), before);
}

// ---- every pass against its plain form on random pictures ----

struct PassCase {
  const char* name;
  std::function<void(Bitmap24&, std::optional<Rgb>, EffectScratch&)> fast;
  std::function<void(Picture&, std::optional<Rgb>)> plain;
};

std::vector<PassCase> PassCases() {
  return {
      {"tint", [](Bitmap24& b, std::optional<Rgb> t, EffectScratch&) { tessara::TintPass(b, t.value_or(Rgb{})); },
       [](Picture& p, std::optional<Rgb> t) { RefTint(p, t.value_or(Rgb{})); }},
      {"monochrome", tessara::MonochromePass, RefMonochrome},
      {"emboss", tessara::EmbossPass, RefEmboss},
      {"blur", tessara::BlurPass, RefBlur},
      {"displace", tessara::DisplacePass, RefDisplace},
      {"edge", [](Bitmap24& b, std::optional<Rgb> t, EffectScratch&) { tessara::RaiseWindowEdge(b, t ? 1 : 0); },
       [](Picture& p, std::optional<Rgb> t) { RefRaiseEdge(p, t ? 1 : 0); }},
  };
}

const std::optional<Rgb> kTints[] = {std::nullopt, Rgb{0x70, 0x10, 0xFF}, Rgb{255, 255, 255}};

// Runs the pass and its plain form on copies of `start`; the bytes, padding included, must agree.
::testing::AssertionResult SameAsPlain(const PassCase& pass, const Bitmap24& start, std::optional<Rgb> tint,
                                       EffectScratch& scratch, unsigned seed) {
  Bitmap24 fast(start.Width(), start.Height());
  Bitmap24 plain(start.Width(), start.Height());
  std::memcpy(fast.Bits(), start.Bits(), start.ByteSize());
  std::memcpy(plain.Bits(), start.Bits(), start.ByteSize());
  Picture p = Read(plain);
  tessara::RandSeed(seed);
  pass.plain(p, tint);
  Write(p, plain);
  tessara::RandSeed(seed);
  pass.fast(fast, tint, scratch);
  const auto got = Bytes(fast);
  const auto want = Bytes(plain);
  for (std::size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return ::testing::AssertionFailure() << pass.name << " " << start.Width() << "x" << start.Height()
                                           << (tint ? " tinted" : "") << ": byte " << i << " is "
                                           << int{got[i]} << ", want " << int{want[i]};
  return ::testing::AssertionSuccess();
}

TEST(EffectPasses, MatchThePlainRulesOnRandomPictures) {
  const std::vector<PassCase> passes = PassCases();
  const std::array<std::array<int, 2>, 14> sizes = {{{1, 1}, {1, 9}, {9, 1}, {2, 2}, {2, 5}, {3, 3}, {5, 4},
                                                      {13, 7}, {33, 17}, {67, 9}, {101, 13}, {130, 3}, {258, 6},
                                                      {700, 5}}};
  const std::optional<Rgb> tints[] = {std::nullopt, Rgb{0x70, 0x10, 0xFF}, Rgb{255, 255, 255}};
  PathGuard guard;
  for (PixelPath path : Paths()) {
    tessara::ForcePixelPath(path);
    EffectScratch scratch;  // shared across sizes, as the window shares it across compositions
    for (const PassCase& pass : passes)
      for (const auto& size : sizes)
        for (const auto& tint : tints)
          for (int round = 0; round < 2; ++round) {
            std::mt19937 gen(size[0] * 1000 + size[1] * 10 + round);
            Bitmap24 fast = RandomImage(size[0], size[1], gen);
            Bitmap24 plain(size[0], size[1]);
            std::memcpy(plain.Bits(), fast.Bits(), fast.ByteSize());
            Picture p = Read(plain);
            tessara::RandSeed(99 + round);
            pass.plain(p, tint);
            Write(p, plain);
            tessara::RandSeed(99 + round);
            pass.fast(fast, tint, scratch);
            ASSERT_EQ(Bytes(fast), Bytes(plain))
                << pass.name << " " << size[0] << "x" << size[1] << (tint ? " tinted" : "")
                << " path " << static_cast<int>(path);
          }
  }
}

// Every row length up to a few vector blocks, so each count of pixels left over after the
// blocks, and blocks that end right at the row's end, meet the plain rules.
TEST(EffectPasses, EveryRowLengthMatchesThePlainRules) {
  const std::vector<PassCase> passes = PassCases();
  PathGuard guard;
  for (PixelPath path : Paths()) {
    tessara::ForcePixelPath(path);
    EffectScratch scratch;
    for (int w = 1; w <= 100; ++w) {
      std::mt19937 gen(static_cast<unsigned>(w));
      const Bitmap24 start = RandomImage(w, 4, gen);
      for (const PassCase& pass : passes)
        for (const auto& tint : kTints)
          ASSERT_TRUE(SameAsPlain(pass, start, tint, scratch, 5)) << "path " << static_cast<int>(path);
    }
  }
}

// Levels at both ends of the byte range, where sums are largest and a narrow lane or a
// saturating step would first go wrong.
TEST(EffectPasses, ExtremeLevelsMatchThePlainRules) {
  const std::vector<PassCase> passes = PassCases();
  const std::uint8_t levels[] = {0, 1, 2, 127, 128, 253, 254, 255};
  PathGuard guard;
  for (PixelPath path : Paths()) {
    tessara::ForcePixelPath(path);
    EffectScratch scratch;
    for (int round = 0; round < 4; ++round) {
      std::mt19937 gen(static_cast<unsigned>(round));
      Bitmap24 start(97, 9);
      for (std::size_t i = 0; i < start.ByteSize(); ++i)
        start.Bits()[i] = round < 2 ? levels[gen() % 8] : gen() % 2 ? 255 : 0;
      if (round == 3) std::memset(start.Bits(), 255, start.ByteSize());
      for (const PassCase& pass : passes)
        for (const auto& tint : kTints)
          ASSERT_TRUE(SameAsPlain(pass, start, tint, scratch, 7)) << "path " << static_cast<int>(path);
    }
  }
}

TEST(EffectBlur, ExactHalvesFollowTheDoubleForm) {
  // With channel levels that are multiples of 13 an inner sum is 13 m, an exact half of
  // 78 whenever m is 3 modulo 6: about one byte in six meets the tie handling.
  PathGuard guard;
  for (PixelPath path : Paths()) {
    tessara::ForcePixelPath(path);
    std::mt19937 gen(3);
    for (int round = 0; round < 20; ++round) {
      Bitmap24 fast(70, 5);
      for (std::size_t i = 0; i < fast.ByteSize(); ++i) fast.Bits()[i] = static_cast<std::uint8_t>((gen() % 4) * 13);
      Bitmap24 plain(70, 5);
      std::memcpy(plain.Bits(), fast.Bits(), fast.ByteSize());
      Picture p = Read(plain);
      RefBlur(p, std::nullopt);
      Write(p, plain);
      EffectScratch scratch;
      tessara::BlurPass(fast, std::nullopt, scratch);
      ASSERT_EQ(Bytes(fast), Bytes(plain)) << "round " << round;
    }
  }
}

}  // namespace
