#include "tests/engine/reference_render.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "src/engine/portable_math.h"

namespace ulvo::testing {
namespace {

struct Level {
  int w = 1, h = 1;
  double d = 0;
  std::vector<uint32_t> k;  // 256 × planes × h × w
  std::vector<int> first, last;
  bool built = false;
};

class Reference {
 public:
  explicit Reference(const ReferenceScene& s) : s_(s) {}

  ReferenceResult Run() {
    W = s_.width;
    H = s_.height;
    result_.output.assign(static_cast<size_t>(W) * H * 3, 0);
    expo_ = s_.hardness >= 1.55;
    // Copy with bytes reversed, then trim and collapse.
    planes_ = 3;
    PW = s_.pattern_width;
    PH = s_.pattern_height;
    pat_.resize(s_.pattern.size());
    for (int i = 0; i < PW * PH; ++i)
      for (int c = 0; c < 3; ++c) pat_[i * 3 + c] = s_.pattern[i * 3 + 2 - c];
    Trim();
    int maxBlur = s_.max_blur;
    if (maxBlur > PW) maxBlur = PW;
    if (maxBlur > PH) maxBlur = PH;
    B = H <= 512 ? H : std::max(2 * PH, 256);
    for (auto& p : band_) p.assign(static_cast<size_t>(B) * W, 0);
    outYRem_ = H;
    outY_ = 0;
    n_ = s_.large_levels;
    bool hasDepth = !s_.depth.empty();
    if (!hasDepth) {
      n_ = 1;
      maxBlur = PW;
    }
    if (maxBlur > PW) maxBlur = PW;
    Prepare(maxBlur, 1);
    const double T = 1.5 * s_.skip;
    int y = 0;
    for (; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        int L = hasDepth ? table_[s_.depth[y * W + x]] : n_ - 1;
        if (!levels_[L].built) Build(L);
        bool go = s_.skip < 2 || (x % s_.skip == 0 && y % s_.skip == 0) || levels_[L].d <= T;
        if (!go) continue;
        for (int k = 0; k < 3; ++k) {
          int v = s_.colour[(y * W + x) * 3 + 2 - k];
          int q = planes_ == 1 ? 0 : k;
          Scatter(L, Copy(L, v, q), band_[k].data(), x, y, Copy(L, 128, q), band_[3].data());
        }
      }
      Schedule(y);
    }
    Schedule(y);
    return result_;
  }

 private:
  void Trim() {
    int top = 999999, bottom = 0, left = 999999, right = 0;
    for (int c = 0; c < planes_; ++c)
      for (int y = 0; y < PH; ++y)
        for (int x = 0; x < PW; ++x)
          if (pat_[(y * PW + x) * planes_ + c]) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            left = std::min(left, x);
            right = std::max(right, x);
          }
    int nw = right - left + 1, nh = bottom - top + 1;
    std::vector<uint8_t> t(static_cast<size_t>(nw) * nh * planes_);
    for (int y = 0; y < nh; ++y)
      for (int x = 0; x < nw * planes_; ++x)
        t[y * nw * planes_ + x] = pat_[(top + y) * PW * planes_ + left * planes_ + x];
    PW = nw;
    PH = nh;
    bool grey = true;
    for (int i = 0; i < PW * PH; ++i)
      if (t[i * 3] != t[i * 3 + 1] || t[i * 3] != t[i * 3 + 2]) grey = false;
    if (grey) {
      pat_.resize(static_cast<size_t>(PW) * PH);
      for (int i = 0; i < PW * PH; ++i) pat_[i] = t[i * 3];
      planes_ = 1;
    } else {
      pat_ = t;
    }
  }

  void Prepare(int c, int d) {
    G_ = 10;
    n_ += 10;
    levels_.assign(n_, Level());
    for (int i = 0; i < 10; ++i) levels_[i].d = (i * c) * 0.00390625;
    d = 2;
    int m = n_ - G_;
    for (int i = G_; i < n_; ++i) {
      Level& l = levels_[i];
      if (m < 3) {
        l.w = c;
        l.d = c;
      } else {
        l.w = d + ((i - G_) * (c - d)) / (m - 1);
        l.d = d + (double)((i - G_) * (c - d)) / (m - 1);
      }
      if (l.w < d) l.w = d;
      l.h = (int)((double)(l.w * PH) / PW);
      if (l.h < d) l.h = d;
    }
    double R = 256 / (levels_[n_ - 1].d - levels_[0].d);
    for (int j = 0; j < 256; ++j) {
      double x = std::abs(j - s_.focus) / R;
      double best = 9999999;
      for (int k = 0; k < n_; ++k)
        if (std::fabs(x - levels_[k].d) < best) {
          best = std::fabs(x - levels_[k].d);
          table_[j] = k;
        }
    }
  }

  uint32_t* Copy(int L, int P, int Q) {
    Level& l = levels_[L];
    return l.k.data() + (static_cast<size_t>(P) * planes_ + Q) * l.h * l.w;
  }

  uint32_t U32(double v) {
    if (v >= 4294967296.0) result_.overflowed = true;
    return v >= 4294967296.0 ? 0 : (uint32_t)v;
  }
  void Add(uint32_t& cell, uint32_t v) {
    if ((uint64_t)cell + v > 0xFFFFFFFFull) result_.overflowed = true;
    cell += v;
  }

  void Build(int r) {
    Level& l = levels_[r];
    int L = l.w, N = l.h;
    l.k.assign(static_cast<size_t>(256) * planes_ * N * L, 0);
    l.first.assign(N, 0);
    l.last.assign(N, 0);
    double S[3] = {0, 0, 0}, T[3][256] = {};
    for (int q = 0; q < planes_; ++q)
      for (int i = 0; i < PW * PH; ++i) S[q] += pat_[i * planes_ + q];
    for (int q = 0; q < planes_; ++q) {
      if (S[q] <= 0) continue;
      for (int i = 0; i < 256; ++i) {
        double u = expo_ ? math::Pow(10.0, s_.hardness * 0.011764705882352941 * i - 2)
                         : 20 * math::Pow(10.0, math::Tan((i - 135) * 0.006666666666666667) /
                                                        (0.65 / s_.hardness) -
                                                    1.4);
        T[q][i] = (s_.brightness / S[q]) * u * 50000000;
      }
    }
    refWeight_ = (int32_t)(S[0] * T[0][128] * 3);
    for (int q = 0; q < planes_; ++q) {
      if (S[q] <= 0) continue;
      if (L == 1 && N == 1) {
        for (int P = 0; P < 256; ++P) *Copy(r, P, q) = U32(S[q] * T[q][P]);
        continue;
      }
      double sx = (double)L / PW, sy = (double)N / PH;
      for (int j = 0; j < PH; ++j) {
        double y0f = j * sy;
        int y0 = (int)y0f, y1 = (int)((j + 1) * sy);
        double wy0 = y0 == y1 ? 1 : y1 - y0f, wy1 = 1 - wy0;
        for (int k = 0; k < PW; ++k) {
          int v = pat_[(j * PW + k) * planes_ + q];
          if (!v) continue;
          double x0f = k * sx;
          int x0 = (int)x0f, x1 = (int)((k + 1) * sx);
          double wx0 = x0 == x1 ? 1 : x1 - x0f, wx1 = 1 - wx0;
          double w00 = wx0 * wy0, w10 = wx1 * wy0, w01 = wx0 * wy1, w11 = wx1 * wy1;
          for (int P = 0; P < 256; ++P) {
            uint32_t* c = Copy(r, P, q);
            double e = v * T[q][P];
            Add(c[y0 * L + x0], U32(e * w00));
            if (x1 < L) Add(c[y0 * L + x1], U32(e * w10));
            if (y1 < N) Add(c[y1 * L + x0], U32(e * w01));
            if (x1 < L && y1 < N) Add(c[y1 * L + x1], U32(e * w11));
          }
        }
      }
    }
    if (r >= 1 && r <= 9) Soften(r);
    L = l.w;
    N = l.h;
    for (int y = 0; y < N; ++y) {
      l.first[y] = 0;
      l.last[y] = L - 1;
    }
    if (!(r >= 1 && r <= 9)) {
      for (int q = 0; q < planes_; ++q) {
        uint32_t* c = Copy(r, 255, q);
        for (int y = 0; y < N; ++y) {
          for (int j = 0; j < L; ++j)
            if (c[y * L + j]) {
              if (j > l.first[y]) l.first[y] = j;
              break;
            }
          for (int k = L - 1; k >= 1; --k)
            if (c[y * L + k]) {
              if (k < l.last[y]) l.last[y] = k;
              break;
            }
        }
      }
    }
    l.built = true;
  }

  void Soften(int r) {
    Level& l = levels_[r];
    double D = l.d;
    int M = 3 * (int)(D + 2);
    if (M % 2 == 0) M++;
    std::vector<uint32_t> nk(static_cast<size_t>(256) * planes_ * M * M, 0);
    // The spread is held exactly until the total is restored: a narrow
    // Gaussian's centre factor exceeds 1, so 32-bit cells would overflow here
    // for bright copies. Where they would not, this is the same arithmetic.
    std::vector<double> acc(static_cast<size_t>(M) * M);
    double ox = (M - l.w) * 0.5, oy = (M - l.h) * 0.5;
    double h = D * 0.3333333333333333 + 0.1;
    double o = h * h + h * h;
    double t = 0.3183098861837907 / o;
    for (int P = 0; P < 256; ++P)
      for (int q = 0; q < planes_; ++q) {
        uint32_t* oc = Copy(r, P, q);
        uint32_t* nc = nk.data() + (static_cast<size_t>(P) * planes_ + q) * M * M;
        std::fill(acc.begin(), acc.end(), 0.0);
        double A = 0, Z = 0;
        for (int cy = 0; cy < l.h; ++cy)
          for (int cx = 0; cx < l.w; ++cx) {
            uint32_t w = oc[cy * l.w + cx];
            if (!w) continue;
            Z += w;
            for (int ny = 0; ny < M; ++ny)
              for (int nx = 0; nx < M; ++nx) {
                double dx = nx - cx - ox, dy = ny - cy - oy;
                double g = std::trunc(t * math::Exp(-(dx * dx + dy * dy) / o) * w);
                acc[ny * M + nx] += g;
                A += g;
              }
          }
        if (A != 0)
          for (int i = 0; i < M * M; ++i) nc[i] = U32(acc[i] * (Z / A));
      }
    l.k = nk;
    l.w = l.h = M;
    l.first.assign(M, 0);
    l.last.assign(M, 0);
  }

  void Scatter(int L, const uint32_t* K, uint32_t* A, int x, int y, const uint32_t* V,
               uint32_t* G) {
    Level& l = levels_[L];
    int kw = l.w, kh = l.h;
    if (L == 0 && kw == 1 && kh == 1) {
      Add(A[(y - outY_) * W + x], K[0]);
      Add(G[(y - outY_) * W + x], V[0]);
      return;
    }
    bool hasDepth = !s_.depth.empty();
    float sd = hasDepth ? (float)s_.depth[y * W + x] : 0.0f;
    int hw = (kw - 1) / 2, hh = (kh - 1) / 2;
    int colFirst = std::max(hw - x, 0), colEnd = std::min(W + hw - x, kw);
    int rowFirst = std::max(hh - y, 0), rowEnd = std::min(H + hh - y, kh);
    for (int r = rowFirst; r < rowEnd; ++r) {
      int c0 = std::max(l.first[r], colFirst), c1 = std::min(l.last[r] + 1, colEnd);
      if (c0 >= c1) continue;
      int ty = y + r - hh;
      if (ty - outY_ < 0 || ty - outY_ >= B) {
        result_.overflowed = true;  // band invariant broken: treat as invalid
        continue;
      }
      int dy = hh - r;
      for (int k = c0; k < c1; ++k) {
        int tx = x + k - hw, dx = hw - k;
        size_t at = static_cast<size_t>(ty - outY_) * W + tx;
        bool dim = false;
        float f = 1;
        if (hasDepth) {
          float t = (float)s_.depth[ty * W + tx];
          float dist2 = (float)(dx * dx + dy * dy);
          if (t + 5 < sd && dist2 > 4) {
            dim = true;
            f = (1.0f - std::sqrt(dist2) / (float)l.d) * (t + 5.0f) / (sd - t);
            f = f * f;
            if (f > 1) f = 1;
            if (f < 0) f = 0;
          }
        }
        if (dim)
          Add(A[at], (uint32_t)((double)K[r * kw + k] * f));
        else
          Add(A[at], K[r * kw + k]);
        Add(G[at], V[r * kw + k]);
      }
    }
  }

  void Schedule(int y) {
    int h = PH / 2;
    if (y >= H - 1) {
      if (outYRem_ > 0) {
        Flush(outY_, outYRem_);
        outYRem_ = 0;
      }
      return;
    }
    if (B == H) return;
    int complete = y - h - outY_;
    int notused = outY_ + B - h - y;
    if (complete > h && notused <= s_.skip) {
      Flush(outY_, complete);
      outYRem_ -= complete;
      outY_ += complete;
    }
  }

  void Flush(int first, int n) {
    n = std::min({n, H, B});
    if (refWeight_ != 0) {
      uint32_t thr = (uint32_t)(refWeight_ * 1.05);
      for (int c = 0; c < 3; ++c)
        for (int i = 0; i < n * W; ++i) {
          uint32_t w = band_[3][i];
          if (w < thr) {
            double ratio = (double)w / refWeight_;
            if (ratio > 0.01f) band_[c][i] = U32((1 / ratio) * band_[c][i]);
          }
        }
    }
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < n * W; ++i) {
        double g = band_[c][i];
        if (g == 0) continue;
        double v = expo_
                       ? (255 / (3 * s_.hardness)) * (math::Log10(g * 2e-8) + 2)
                       : 150 * math::Atan((math::Log10(g * 1e-9) + 1.4) * 0.65 / s_.hardness) + 135;
        // The one deliberate departure from plain truncation: light that maps
        // a hair below 255 is white that lost a little to rounding.
        band_[c][i] = v > 255 - 1e-3 ? 255 : v < 0 ? 0 : (uint32_t)v;
      }
    for (int i = 0; i < n; ++i)
      for (int x = 0; x < W; ++x)
        for (int c = 0; c < 3; ++c)
          result_.output[((first + i) * W + x) * 3 + c] =
              (uint8_t)band_[2 - c][static_cast<size_t>(i) * W + x];
    for (auto& p : band_) {
      std::copy(p.begin() + static_cast<ptrdiff_t>(n) * W, p.end(), p.begin());
      std::fill(p.end() - static_cast<ptrdiff_t>(n) * W, p.end(), 0u);
    }
  }

  const ReferenceScene& s_;
  ReferenceResult result_;
  int W = 0, H = 0, PW = 0, PH = 0, B = 0, planes_ = 3, n_ = 1, G_ = 10;
  int outY_ = 0, outYRem_ = 0;
  int32_t refWeight_ = 0;
  bool expo_ = false;
  std::vector<uint8_t> pat_;
  std::vector<Level> levels_;
  int table_[256] = {};
  std::vector<uint32_t> band_[4];
};

}  // namespace

ReferenceResult ReferenceRender(const ReferenceScene& scene) {
  return Reference(scene).Run();
}

}  // namespace ulvo::testing
