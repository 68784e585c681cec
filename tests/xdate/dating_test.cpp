// The dating of undated series: the statistics at a position are the check's, the verdicts
// on true, shuffled and unrelated samples, and every way a sample cannot be dated.
#include "xdate/dating.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "synthetic.h"
#include "tables.h"
#include "xdate/check.h"
#include "xdate/dating_report.h"

namespace {

using namespace ringdate::xdate;

std::vector<SeriesInput> without(const std::vector<SeriesInput>& all, std::size_t i) {
  std::vector<SeriesInput> out = all;
  out.erase(out.begin() + static_cast<std::ptrdiff_t>(i));
  return out;
}

SeriesInput renumbered(const SeriesInput& s, std::size_t from = 0, std::size_t len = 0) {
  if (len == 0) len = s.values.size() - from;
  return SeriesInput{
      s.id, 1,
      std::vector<double>(s.values.begin() + static_cast<std::ptrdiff_t>(from),
                          s.values.begin() + static_cast<std::ptrdiff_t>(from + len))};
}

const Position* at(const SampleDating& d, int32_t first) {
  for (const Position& p : d.all) {
    if (p.first == first) return &p;
  }
  return nullptr;
}

class RealFile : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    const std::string shared = testing_support::shared_dir();
    if (shared.empty()) GTEST_SKIP() << "../shared is absent";
    const auto table = xdate_tables::load(shared + "/data/real/csv/" + GetParam() + ".csv");
    if (table.rows.empty()) GTEST_SKIP() << "table missing";
    series_ = xdate_tables::series_of(table);
  }
  std::vector<SeriesInput> series_;
};

// A series of the file, numbered from 1 and dated against all the others: at its own years
// the dating's statistics are the check's for that series (its master leaves it out too).
TEST_P(RealFile, StatisticsAtTheTrueDatingAreTheChecks) {
  const CheckResult check = run_check(series_, Settings{});
  Filter filter;
  int compared = 0;
  for (std::size_t i = 0; i < series_.size(); i += 5) {
    const SeriesResult& want = check.series[i];
    if (!want.usable() || want.r.n < 50) continue;
    SCOPED_TRACE(want.id);
    const Reference ref(without(series_, i));
    const SampleDating d = date_sample(ref, renumbered(series_[i]), DatingSettings{}, filter);
    const Position* p = at(d, series_[i].first);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->last, series_[i].last());
    EXPECT_EQ(p->r.n, want.r.n);
    EXPECT_NEAR(p->r.r, want.r.r, 1e-9);
    EXPECT_NEAR(p->r.t(), want.r.t(), 1e-7);
    EXPECT_EQ(p->bp.n, want.bp.n);
    EXPECT_NEAR(p->bp.t(), want.bp.t(), 1e-7);
    EXPECT_EQ(p->ho.n, want.ho.n);
    EXPECT_NEAR(p->ho.t(), want.ho.t(), 1e-7);
    EXPECT_EQ(p->glk.n, want.glk.n);
    // The check takes the mean of the other widths as the file's sum less the series' own
    // value, which can turn a tie of two years' means into a change of 1e-16; the reference's
    // own mean keeps the tie. One year's half agreement apart at most.
    EXPECT_NEAR(p->glk.value, want.glk.value, 0.5 / want.glk.n + 1e-12);
    // These series crossdate without a flagged segment: each is dated, at its own years.
    if (want.flagged == 0) {
      EXPECT_TRUE(d.dated()) << verdict_text(d, DatingSettings{});
      EXPECT_EQ(d.dated_first(), series_[i].first);
    }
    ++compared;
  }
  EXPECT_GT(compared, 3);
}

// The same series with its rings in random order matches nowhere.
TEST_P(RealFile, ShuffledRingsAreNotDated) {
  std::mt19937 rng(5);
  Filter filter;
  for (std::size_t i = 0; i < series_.size(); i += 7) {
    SeriesInput s = renumbered(series_[i]);
    if (s.values.size() < 100) continue;
    SCOPED_TRACE(s.id);
    std::shuffle(s.values.begin(), s.values.end(), rng);
    const SampleDating d = date_sample(Reference(without(series_, i)), s, DatingSettings{}, filter);
    EXPECT_EQ(d.verdict, DatingVerdict::not_dated);
    ASSERT_FALSE(d.ranked.empty());
    EXPECT_GT(d.ranked.front().p, 0.001);
    EXPECT_GT(d.positions, 300);
  }
}

// Stretches of 60 rings at their true dating: the decision's second t, over the sample
// filtered with its ends reflected, is aligned with the first (it finds the match too), has
// a value for every ring (the prewhitening leaves the plain filter's first rings without
// one), and is a different measurement: over the positions it follows the first t only in
// part, so that their mean is less noisy than either.
TEST_P(RealFile, ReflectedFilterIsASecondMeasureOfTheMatch) {
  Filter filter;
  int samples = 0;
  double correlation = 0.0, plain = 0.0, reflected = 0.0;
  for (std::size_t i = 0; i < series_.size(); ++i) {
    const SeriesInput& s = series_[i];
    if (s.values.size() < 200) continue;
    const Reference ref(without(series_, i));
    for (std::size_t from = 20; from + 60 <= s.values.size(); from += 90) {
      const SampleDating d = date_sample(ref, renumbered(s, from, 60), DatingSettings{}, filter);
      const Position* p = at(d, s.first + static_cast<int32_t>(from));
      if (p == nullptr) continue;
      SCOPED_TRACE(s.id + " from " + std::to_string(from));
      EXPECT_EQ(p->r_mirrored.n, 60);
      EXPECT_LE(p->r_matched.n, 60);
      plain += p->r_matched.t();
      reflected += p->r_mirrored.t();
      std::vector<double> a, b;
      for (const Position& q : d.all) {
        a.push_back(q.r_matched.t());
        b.push_back(q.r_mirrored.t());
      }
      correlation += correlate(Track{0, a}, Track{0, b}).r;
      ++samples;
    }
  }
  ASSERT_GT(samples, 20);
  correlation /= samples;
  EXPECT_GT(correlation, 0.6);
  EXPECT_LT(correlation, 0.97);
  EXPECT_GT(reflected, 0.7 * plain);
}

INSTANTIATE_TEST_SUITE_P(Files, RealFile, ::testing::Values("co021", "ca533"));

TEST(Dating, SyntheticStretchIsDatedAndListedBestFirst) {
  const auto forest = xdate_synthetic::forest(12, 1500, 1899);
  const SeriesInput sample = renumbered(forest[3], 100, 80);  // 1609-1688
  DatingSettings settings;
  settings.top = 4;
  Filter filter;
  const SampleDating d = date_sample(Reference(without(forest, 3)), sample, settings, filter);
  ASSERT_TRUE(d.dated());
  EXPECT_EQ(d.dated_first(), 1609);
  EXPECT_EQ(d.ranked.size(), 4u);
  for (std::size_t k = 1; k < d.ranked.size(); ++k) {
    EXPECT_GE(d.ranked[k - 1].score, d.ranked[k].score);
    EXPECT_GE(d.ranked[k].p, d.ranked[k - 1].p);
  }
  ASSERT_TRUE(d.runner_up);
  EXPECT_EQ(d.runner_up->first, d.ranked[1].first);
  // Every position from the sample's last ring 50 years into the reference to its first ring
  // 50 years before the reference's end (the first filtered values are the AR order's fewer).
  EXPECT_EQ(d.positions, static_cast<int32_t>(d.all.size()));
  ASSERT_EQ(d.curve.size(), d.all.size());
  for (std::size_t k = 0; k < d.all.size(); ++k) {
    EXPECT_EQ(d.curve[k].last, d.all[k].last);
    EXPECT_EQ(d.curve[k].z, d.all[k].z);
    if (k > 0) {
      EXPECT_GT(d.all[k].first, d.all[k - 1].first);
    }
  }
  EXPECT_GE(d.positions, 400 - 100 + 80 - 30);
  EXPECT_LE(d.positions, 400 - 100 + 80 + 1);
  for (const Position& p : d.all) {
    EXPECT_GE(p.r.n, 50);
    EXPECT_TRUE(std::isfinite(p.z));
  }
  EXPECT_GT(d.z_needed, 3.0);
  EXPECT_GE(d.ranked.front().z, d.z_needed);
}

// The chance of a position is the Student tail of its z over its overlap less 2, times the
// positions tested: a normal tail made short samples' chance several times too low far out.
TEST(Dating, ChanceIsTheStudentTailOverTheOverlap) {
  const auto forest = xdate_synthetic::forest(12, 1500, 1899);
  const SeriesInput sample = renumbered(forest[5], 200, 60);
  Filter filter;
  const SampleDating d =
      date_sample(Reference(without(forest, 5)), sample, DatingSettings{}, filter);
  ASSERT_GE(d.ranked.size(), 2u);
  const double n = d.positions;
  const double share = DatingSettings{}.member_share;
  EXPECT_GT(d.pairs, d.positions);
  for (const Position& p : d.ranked) {
    const double want = std::min(1.0, n * upper_tail(p.z, p.r.n - 2));
    EXPECT_NEAR(p.p_score, want, 1e-9 + 1e-9 * want) << p.first;
    // Heavier than the normal tail wherever z is far out.
    const double normal = n * 0.5 * std::erfc(p.z / std::sqrt(2.0));
    if (p.z > 3.0 && want < 1.0) {
      EXPECT_GT(p.p_score, normal) << p.first;
    }
    // The best single series' t over every pair of a position and a series tested; the
    // decision's p the smaller of the two, each over its share of the level.
    ASSERT_GE(p.member, 0);
    const double member = std::min(1.0, d.pairs * upper_tail(p.member_t, p.member_r.n - 2));
    EXPECT_NEAR(p.p_member, member, 1e-9 + 1e-9 * member) << p.first;
    const double both = std::min({1.0, p.p_score / (1.0 - share), p.p_member / share});
    EXPECT_NEAR(p.p, both, 1e-9 + 1e-9 * both) << p.first;
  }
  // The z needed is where the best position's overlap gives the score alone its share of
  // p_max.
  const int32_t df = d.ranked.front().r.n - 2;
  const double p_max = DatingSettings{}.p_max;
  EXPECT_NEAR(n * upper_tail(d.z_needed, df), (1.0 - share) * p_max, 1e-3 * p_max);
}

// A weak site: each tree shares little of the common signal, so a short sample matches the
// master too weakly to be dated among hundreds of positions. A second core of the sample's
// own tree in the reference matches it closely: that one series dates it.
TEST(Dating, ASecondCoreOfTheSamplesTreeDatesIt) {
  auto forest = xdate_synthetic::forest(16, 1500, 1899, 0.9, 21);
  const SeriesInput tree = forest[4];
  xdate_synthetic::Random rnd(5);
  SeriesInput core = tree;
  core.id = "CORE2";
  for (double& v : core.values) v = std::round(v * std::exp(0.15 * rnd.normal()) * 100.0) / 100.0;
  std::vector<SeriesInput> reference = without(forest, 4);
  reference.insert(reference.begin() + 7, core);
  const SeriesInput sample = renumbered(tree, 120, 70);
  const Reference ref(reference);
  Filter filter;
  DatingSettings master_only;
  master_only.member_share = 0.0;
  const SampleDating alone = date_sample(ref, sample, master_only, filter);
  ASSERT_FALSE(alone.ranked.empty());
  EXPECT_FALSE(alone.dated()) << verdict_text(alone, master_only);
  EXPECT_EQ(alone.ranked.front().p, alone.ranked.front().p_score);

  const SampleDating d = date_sample(ref, sample, DatingSettings{}, filter);
  ASSERT_TRUE(d.dated()) << verdict_text(d, DatingSettings{});
  EXPECT_EQ(d.dated_first(), tree.first + 120);
  const Position& best = d.ranked.front();
  EXPECT_EQ(best.member, 7);
  EXPECT_GT(best.member_r.r, 0.8);
  EXPECT_LT(best.p_member, best.p_score);
  // The same sample with its rings shuffled matches the core nowhere.
  SeriesInput mixed = sample;
  std::mt19937 rng(3);
  std::shuffle(mixed.values.begin(), mixed.values.end(), rng);
  const SampleDating m = date_sample(ref, mixed, DatingSettings{}, filter);
  EXPECT_FALSE(m.dated());
  ASSERT_FALSE(m.ranked.empty());
  EXPECT_GT(m.ranked.front().p, 0.01);
}

// Three rings of (nearly) no width in a sample that matches nowhere, met at one position by
// three such rings of one reference series (latewood widths have many): their filtered
// values lie ten and more sd out and alone made that series' t (5.6 over 67 years). The
// series are compared over values clipped to 3 robust sd, so those years do not date the
// sample.
TEST(Dating, NarrowRingsMetByChanceInOneSeriesDoNotDate) {
  xdate_synthetic::Random rnd(17);
  std::vector<SeriesInput> reference;
  for (int s = 0; s < 3; ++s) {
    SeriesInput x{"R" + std::to_string(s), 1500, {}};
    for (int k = 0; k < 400; ++k) x.values.push_back(std::exp(0.1 * rnd.normal()));
    reference.push_back(std::move(x));
  }
  SeriesInput sample{"S", 1, {}};
  for (int k = 0; k < 70; ++k) sample.values.push_back(std::exp(0.2 * rnd.normal()));
  reference[1].values[200] = reference[1].values[240] = 0.005;  // 1700, 1740
  sample.values[20] = sample.values[60] = 0.005;                // on them at the position from 1680
  Filter filter;
  DatingSettings every;  // every position listed, with the evidence of its best series
  every.top = 1000;
  const SampleDating d = date_sample(Reference(reference), sample, every, filter);
  const Position* aligned = at(d, 1680);
  ASSERT_NE(aligned, nullptr);
  EXPECT_EQ(aligned->member, 1);
  EXPECT_LT(aligned->member_t, 4.0);
  EXPECT_GT(aligned->p_member, 0.01);
  EXPECT_FALSE(d.dated()) << verdict_text(d, every);
}

TEST(Dating, AChronologyIsAReferenceOfOneSeries) {
  const auto forest = xdate_synthetic::forest(10, 1600, 1899, 0.15);
  // The mean of the other series' widths stands for a chronology.
  SeriesInput chron{"CHRON", 1600, std::vector<double>(300, 0.0)};
  std::vector<int> depth(300, 0);
  for (std::size_t i = 1; i < forest.size(); ++i) {
    for (std::size_t k = 0; k < forest[i].values.size(); ++k) {
      const auto y = static_cast<std::size_t>(forest[i].first - 1600) + k;
      chron.values[y] += forest[i].values[k];
      ++depth[y];
    }
  }
  for (std::size_t y = 0; y < 300; ++y) chron.values[y] /= depth[y];
  // The other series start in 1603.
  chron.values.erase(chron.values.begin(), chron.values.begin() + 3);
  chron.first = 1603;
  const Reference ref({chron});
  EXPECT_EQ(ref.usable(), 1);
  Filter filter;
  const SampleDating d = date_sample(ref, renumbered(forest[0], 40, 120), DatingSettings{}, filter);
  ASSERT_TRUE(d.dated()) << verdict_text(d, DatingSettings{});
  EXPECT_EQ(d.dated_first(), 1640);
  // Its one series is the master: the score's p has the whole level.
  EXPECT_EQ(d.pairs, 0);
  for (const Position& p : d.ranked) EXPECT_EQ(p.p, p.p_score);
}

TEST(Dating, UnrelatedSeriesIsNotDated) {
  const auto a = xdate_synthetic::forest(10, 1500, 1899, 0.25, 7);
  const auto b = xdate_synthetic::forest(3, 1500, 1899, 0.25, 99);
  Filter filter;
  const SampleDating d = date_sample(Reference(a), renumbered(b[0]), DatingSettings{}, filter);
  EXPECT_EQ(d.verdict, DatingVerdict::not_dated);
  EXPECT_FALSE(d.dated());
  EXPECT_EQ(d.dated_first(), 1);  // the sample's own numbering
}

// One extreme ring of a sample that matches nowhere, placed on an extreme year of a
// chronology: the Baillie-Pilcher and Hollstein t-values of that position are made by the
// one pair of years alone. The decision's score clips those values to 3 robust sd, so the
// position does not stand out and the sample is not dated (without the clipping its z was
// 8.3 and it was dated there, p 3e-9).
TEST(Dating, OneExtremeRingOnAnExtremeYearDoesNotDate) {
  xdate_synthetic::Random rnd(11);
  SeriesInput chron{"CHRON", 1500, {}};
  for (int k = 0; k < 400; ++k) chron.values.push_back(std::exp(0.2 * rnd.normal()));
  SeriesInput sample{"S", 1, {}};
  for (int k = 0; k < 70; ++k) sample.values.push_back(std::exp(0.2 * rnd.normal()));
  chron.values[200] = 0.01;  // 1700
  sample.values[30] = 0.01;  // ring 31: on 1700 at the position that starts in 1670
  Filter filter;
  const SampleDating d = date_sample(Reference({chron}), sample, DatingSettings{}, filter);
  const Position* aligned = at(d, 1670);
  ASSERT_NE(aligned, nullptr);
  EXPECT_GT(aligned->bp.t(), 6.0);  // the listed statistics keep their definition
  EXPECT_GT(aligned->ho.t(), 6.0);
  EXPECT_LT(aligned->z, 4.0);
  EXPECT_FALSE(d.dated()) << verdict_text(d, DatingSettings{});
}

// The score takes both t-values: (t + t' + tBP' + tHo' + GLK z) / 5. A sample too
// long for the spline once reflected (but not plain) falls back on its plain filtered values.
TEST(Dating, ScoreTakesTheReflectedSamplesT) {
  const auto forest = xdate_synthetic::forest(10, 1500, 1899);
  Filter filter;
  const SampleDating d =
      date_sample(Reference(without(forest, 2)), renumbered(forest[2], 50, 90), {}, filter);
  ASSERT_FALSE(d.all.empty());
  for (const Position& p : d.all) {
    const double want =
        (p.r_matched.t() + p.r_mirrored.t() + p.bp_clipped.t() + p.ho_clipped.t() + p.glk_z()) /
        5.0;
    EXPECT_NEAR(p.score, want, 1e-12 * (1.0 + std::abs(want)));
  }
  ASSERT_TRUE(d.dated()) << verdict_text(d, DatingSettings{});
  EXPECT_EQ(d.dated_first(), forest[2].first + 50);

  xdate_synthetic::Random rnd(3);
  SeriesInput longest{"LONG", 1, {}};
  for (int k = 0; k < ringdate::Spline::MXY - 10; ++k)
    longest.values.push_back(std::exp(0.2 * rnd.normal()));
  const SampleDating l = date_sample(Reference({forest[0]}), longest, {}, filter);
  ASSERT_EQ(l.status, FilterStatus::ok);
  ASSERT_FALSE(l.all.empty());
  for (const Position& p : l.all) {
    EXPECT_EQ(p.r_mirrored.n, p.r_matched.n);
    EXPECT_EQ(p.r_mirrored.r, p.r_matched.r);
  }
}

// A chronology whose years carry on the last ones' growth (as a site's mean does), and
// samples of its trees: the score prewhitens the sample with the reference's model (the
// chronology's own), not with one fitted to the sample's few rings. At the true position
// its t is the correlation of the sample so filtered with the reference's filtered values,
// the years aligned. A file's model is the mean of its series' coefficients.
TEST(Dating, ScoreFiltersTheSampleWithTheReferencesModel) {
  xdate_synthetic::Random rnd(11);
  std::vector<double> common(400);
  double carried = 0.0;
  for (double& c : common) c = carried = 0.7 * carried + rnd.normal();
  SeriesInput chron{"CHRON", 1500, {}};
  for (double c : common) chron.values.push_back(std::round(1000.0 * std::exp(0.2 * c)) / 1000.0);
  const Reference ref({chron});
  Filter filter;
  const Filtered own = filter(chron.first, chron.values);
  ASSERT_GT(own.model.order, 0);
  EXPECT_EQ(ref.model().order, own.model.order);
  EXPECT_EQ(ref.model().phi, own.model.phi);

  int samples = 0;
  for (std::size_t from = 10; from + 70 <= common.size(); from += 40) {
    SeriesInput tree{"TREE", 1, {}};
    double own_carried = 0.0;
    for (std::size_t k = from; k < from + 70; ++k) {
      const double age = static_cast<double>(k - from);
      own_carried = 0.7 * own_carried + rnd.normal();
      tree.values.push_back((0.5 + std::exp(-age / 30.0)) *
                            std::exp(0.2 * common[k] + 0.15 * own_carried));
    }
    const SampleDating d = date_sample(ref, tree, DatingSettings{}, filter);
    const Position* p = at(d, chron.first + static_cast<int32_t>(from));
    ASSERT_NE(p, nullptr);
    const Filtered f = filter(p->first, tree.values, ref.model());
    const Correlation c = correlate(f.values, ref.filtered());
    EXPECT_EQ(p->r_matched.n, c.n);
    EXPECT_NEAR(p->r_matched.r, c.r, 1e-12);
    EXPECT_NE(p->r_matched.r, p->r.r);  // the sample's own model differs
    ++samples;
  }
  ASSERT_EQ(samples, 9);

  const auto forest = xdate_synthetic::forest(3, 1600, 1799);
  std::vector<ArModel> models;
  for (const SeriesInput& s : forest) models.push_back(filter(s.first, s.values).model);
  std::size_t order = 0;
  for (const ArModel& m : models) order = std::max(order, m.phi.size());
  const Reference file(forest);
  ASSERT_EQ(file.model().phi.size(), order);
  EXPECT_EQ(file.model().order, static_cast<int32_t>(order));
  for (std::size_t k = 0; k < order; ++k) {
    double sum = 0.0;
    for (const ArModel& m : models) sum += k < m.phi.size() ? m.phi[k] : 0.0;
    EXPECT_NEAR(file.model().phi[k], sum / 3.0, 1e-15);
  }
}

TEST(Dating, EveryWayASampleCannotBeDated) {
  const auto forest = xdate_synthetic::forest(6, 1700, 1899);
  const Reference ref(forest);
  Filter filter;
  const DatingSettings settings;
  // Shorter than the overlap.
  EXPECT_EQ(date_sample(ref, renumbered(forest[0], 0, 40), settings, filter).verdict,
            DatingVerdict::too_short);
  // Long enough in rings, but not in filtered values.
  EXPECT_EQ(date_sample(ref, renumbered(forest[0], 0, 51), settings, filter).verdict,
            DatingVerdict::too_short);
  EXPECT_EQ(date_sample(ref, SeriesInput{"EMPTY", 1, {}}, settings, filter).verdict,
            DatingVerdict::too_short);
  // A value that is no number: the filter refuses it (a negative one is a year without a
  // ring width, left out).
  SeriesInput bad = renumbered(forest[0]);
  bad.values[10] = NAN;
  const SampleDating refused = date_sample(ref, bad, settings, filter);
  EXPECT_EQ(refused.verdict, DatingVerdict::not_filtered);
  EXPECT_EQ(refused.status, FilterStatus::invalid);
  // No series in the reference, or none it can filter.
  EXPECT_EQ(date_sample(Reference({}), renumbered(forest[0]), settings, filter).verdict,
            DatingVerdict::no_reference);
  EXPECT_EQ(date_sample(Reference({SeriesInput{"TINY", 1800, {1.0, 2.0}}}), renumbered(forest[0]),
                        settings, filter)
                .verdict,
            DatingVerdict::no_reference);
  // A reference shorter than the overlap: no position.
  const SampleDating none = date_sample(Reference({renumbered(forest[1], 0, 45)}),
                                        renumbered(forest[0]), settings, filter);
  EXPECT_EQ(none.verdict, DatingVerdict::no_position);
  EXPECT_EQ(none.positions, 0);
  EXPECT_TRUE(none.ranked.empty());
}

TEST(Dating, RunDatesEverySampleAndCountsThem) {
  const auto forest = xdate_synthetic::forest(8, 1600, 1899);
  std::vector<SeriesInput> samples = {renumbered(forest[0], 50, 150),
                                      SeriesInput{"SHORT", 1, {1, 2, 3}}};
  const DatingRun run = date_samples(samples, without(forest, 0), DatingSettings{});
  ASSERT_EQ(run.samples.size(), 2u);
  EXPECT_EQ(run.reference_series, 7);
  EXPECT_EQ(run.reference_usable, 7);
  EXPECT_EQ(run.first_year, 1603);
  EXPECT_EQ(run.last_year, 1899);
  EXPECT_TRUE(run.samples[0].dated());
  EXPECT_EQ(run.samples[0].dated_first(), 1650);
  EXPECT_EQ(run.samples[1].verdict, DatingVerdict::too_short);
  EXPECT_EQ(run.dated(), 1);
  // The run keeps each sample's curve, not every position's statistics.
  EXPECT_TRUE(run.samples[0].all.empty());
  EXPECT_EQ(run.samples[0].curve.size(), static_cast<std::size_t>(run.samples[0].positions));
}

}  // namespace
