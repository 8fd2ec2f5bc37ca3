#include "benchReport.h"

#include <algorithm>
#include <cstdio>

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

std::string loadAverage() {
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    if (!f) return "unknown";
    double a = 0, b = 0, c = 0;
    const int n = std::fscanf(f, "%lf %lf %lf", &a, &b, &c);
    std::fclose(f);
    if (n != 3) return "unknown";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f %.2f %.2f", a, b, c);
    return buf;
}

const char* verdict(bool met) {
    return met ? "goal met" : "GOAL MISSED";
}
