#include "tone_analysis.h"

#include <cmath>

namespace mic_test {
namespace {
constexpr double kPi = 3.14159265358979323846;
}

double EstimateFrequency(const std::vector<std::int16_t>& samples, double sampleRate) {
  double first = -1.0;
  double last = -1.0;
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const double a = samples[i - 1];
    const double b = samples[i];
    if (a < 0.0 && b >= 0.0) {
      const double at = static_cast<double>(i - 1) + (-a) / (b - a);
      if (first < 0.0) first = at;
      last = at;
      ++crossings;
    }
  }
  if (crossings < 2 || last <= first) return 0.0;
  return (crossings - 1) * sampleRate / (last - first);
}

double SineSnrDb(const std::vector<std::int16_t>& samples, double sampleRate, double frequency) {
  // Least squares over the basis {sin, cos, 1}: the sine of any lag and amplitude plus an offset.
  const std::size_t n = samples.size();
  if (n == 0) return -1000.0;
  double m[3][3] = {};
  double v[3] = {};
  std::vector<double> s(n), c(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double phase = 2.0 * kPi * frequency * static_cast<double>(i) / sampleRate;
    s[i] = std::sin(phase);
    c[i] = std::cos(phase);
    const double basis[3] = {s[i], c[i], 1.0};
    for (int r = 0; r < 3; ++r) {
      v[r] += basis[r] * samples[i];
      for (int k = 0; k < 3; ++k) m[r][k] += basis[r] * basis[k];
    }
  }
  // Solve the 3x3 normal equations by Cramer's rule.
  const auto det3 = [](const double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double det = det3(m);
  if (std::fabs(det) < 1e-12) return -1000.0;
  double coefficient[3];
  for (int col = 0; col < 3; ++col) {
    double replaced[3][3];
    for (int r = 0; r < 3; ++r) {
      for (int k = 0; k < 3; ++k) replaced[r][k] = k == col ? v[r] : m[r][k];
    }
    coefficient[col] = det3(replaced) / det;
  }
  double signal = 0.0;
  double noise = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double tone = coefficient[0] * s[i] + coefficient[1] * c[i];
    const double residual = samples[i] - tone - coefficient[2];
    signal += tone * tone;
    noise += residual * residual;
  }
  if (noise <= 0.0) return 1000.0;
  return 10.0 * std::log10(signal / noise);
}

std::vector<std::int16_t> MakeSine(double frequency, double sampleRate, double seconds, double amplitude) {
  const auto count = static_cast<std::size_t>(seconds * sampleRate);
  std::vector<std::int16_t> out(count);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<std::int16_t>(
        std::lround(amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / sampleRate)));
  }
  return out;
}

}  // namespace mic_test
