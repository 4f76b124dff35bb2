// picture_quality REFERENCE PICTURE: how close a picture is to a reference
// of the same size, as PSNR (dB, over the three channels, peak 255) and
// SSIM (Wang et al. 2004: Gaussian window of sigma 1.5, K1 0.01, K2 0.03,
// the mean over the three channels). Prints "psnr=P ssim=S".
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/paint/picture_input.h"

namespace {

using Channel = std::vector<double>;

Channel channelOf(const tools::Picture& p, int shift) {
    Channel c(p.pixels.size());
    for (std::size_t i = 0; i < c.size(); ++i) c[i] = static_cast<double>((p.pixels[i] >> shift) & 0xFF);
    return c;
}

// A separable Gaussian blur with the border repeated.
Channel blur(const Channel& in, int w, int h) {
    constexpr int kRadius = 5;
    constexpr double kSigma = 1.5;
    double kernel[2 * kRadius + 1], sum = 0;
    for (int i = -kRadius; i <= kRadius; ++i) sum += kernel[i + kRadius] = std::exp(-0.5 * i * i / (kSigma * kSigma));
    for (double& k : kernel) k /= sum;
    Channel across(in.size()), out(in.size());
    auto clampTo = [](int v, int n) { return v < 0 ? 0 : (v >= n ? n - 1 : v); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double s = 0;
            for (int i = -kRadius; i <= kRadius; ++i) s += kernel[i + kRadius] * in[static_cast<std::size_t>(y * w + clampTo(x + i, w))];
            across[static_cast<std::size_t>(y * w + x)] = s;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double s = 0;
            for (int i = -kRadius; i <= kRadius; ++i) s += kernel[i + kRadius] * across[static_cast<std::size_t>(clampTo(y + i, h) * w + x)];
            out[static_cast<std::size_t>(y * w + x)] = s;
        }
    return out;
}

double ssimOf(const Channel& a, const Channel& b, int w, int h) {
    const double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
    Channel aa(a.size()), bb(a.size()), ab(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        aa[i] = a[i] * a[i];
        bb[i] = b[i] * b[i];
        ab[i] = a[i] * b[i];
    }
    const Channel ma = blur(a, w, h), mb = blur(b, w, h), saa = blur(aa, w, h), sbb = blur(bb, w, h), sab = blur(ab, w, h);
    double total = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double va = saa[i] - ma[i] * ma[i], vb = sbb[i] - mb[i] * mb[i], cov = sab[i] - ma[i] * mb[i];
        total += ((2 * ma[i] * mb[i] + c1) * (2 * cov + c2)) / ((ma[i] * ma[i] + mb[i] * mb[i] + c1) * (va + vb + c2));
    }
    return total / static_cast<double>(a.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: picture_quality REFERENCE.png PICTURE.png\n", stderr);
        return 2;
    }
    tools::Picture reference, picture;
    std::string error;
    if (!paint::readPicture(argv[1], reference, error) || !paint::readPicture(argv[2], picture, error)) {
        std::fprintf(stderr, "picture_quality: %s\n", error.c_str());
        return 1;
    }
    if (reference.width != picture.width || reference.height != picture.height) {
        std::fprintf(stderr, "picture_quality: the pictures differ in size\n");
        return 1;
    }
    double squares = 0, ssim = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const Channel a = channelOf(reference, shift), b = channelOf(picture, shift);
        for (std::size_t i = 0; i < a.size(); ++i) squares += (a[i] - b[i]) * (a[i] - b[i]);
        ssim += ssimOf(a, b, reference.width, reference.height) / 3;
    }
    const double mse = squares / (3.0 * static_cast<double>(reference.pixels.size()));
    const double psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
    std::printf("psnr=%.2f ssim=%.4f\n", psnr, ssim);
    return 0;
}
