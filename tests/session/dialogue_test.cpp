// Scripted sessions through the file name, preview, format questions and the exit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "session/harness.h"
#include "support/test_support.h"

namespace {

using namespace session;

std::string example() {
  return testing_support::slurp(testing_support::source_dir() + "/examples/pine.rwl");
}

// The example's rows as listed after reading.
std::vector<std::string> example_rows() {
  return {list_row(1, "PIN01A", 1790, 1995), list_row(2, "PIN01B", 1802, 1995),
          list_row(3, "PIN02A", 1781, 1994), list_row(4, "PIN03A", 1835, 1995),
          list_row(5, "PIN04A", 1813, 1995), list_row(6, "PIN05A", 1849, 1995)};
}

// Everything from the file prompt to the first sequence prompt, for the example read as
// measurements without detrending.
std::string example_until_selection(const std::string& name = "pine.rwl") {
  (void)name;
  const auto lines = lines_of(example());
  return file_prompt() + preview(lines) + "\n" + prompt("TUCSON MEASUREMENT FORMAT? <Y>/N") +
         title_echo(lines[0]) + summary(6, 1781, 1995) + "\n" +
         prompt("SPLINE BEFORE EXAMINATION? <Y>/N (/ TO EXIT)") + listing(example_rows());
}

const std::string seq_prompt = prompt("Sequence number (<RET> to DO WHATEVER)");

TEST(Dialogue, SlashAtTheFirstQuestionSaysGoodbyeAndWritesNothing) {
  Workspace w;
  const Result r = w.run({"/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, file_prompt() + goodbye());
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(w.exists("/_COR"));
}

TEST(Dialogue, MissingFileIsReportedAsTypedAndAskedAgain) {
  Workspace w;
  const Result r = w.run({"nosuch.rwl", "", "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, file_prompt() + not_found("nosuch.rwl") + file_prompt() + not_found("") +
                       file_prompt() + goodbye());
}

// A folder is no data file: it is reported as not found, like a missing file, and not
// opened as an empty one.
TEST(Dialogue, FolderNameIsReportedAsNotFound) {
  Workspace w;
  std::filesystem::create_directory(w.path("sub"));
  const Result r = w.run({"sub", "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, file_prompt() + not_found("sub") + file_prompt() + goodbye());
}

// A device or a pipe is no data file either: it would be read for ever. It is refused with
// its reason before it is opened, and the name is asked again.
TEST(Dialogue, InputsThatNeverEndAreRefusedBeforeReading) {
  Workspace w;
  w.link("zero", "/dev/zero");
  ASSERT_EQ(::mkfifo(w.path("pipe").c_str(), 0644), 0);
  const Result r = w.run({"zero", "pipe", "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, file_prompt() + "\n *** zero is not a regular file\n" + file_prompt() +
                       "\n *** pipe is not a regular file\n" + file_prompt() + goodbye());
}

TEST(Dialogue, LongFileNamesAreKeptWhole) {
  Workspace w;
  const std::string name = "a-measurement-file-with-a-rather-long-name-of-sixty-chars.rwl";
  ASSERT_GT(name.size(), 40u);
  // Missing: shown whole, not cut at 40 characters.
  Result r = w.run({name, "/"});
  EXPECT_EQ(r.out, file_prompt() + "\n FILE NOT FOUND: " + name + "\n" + file_prompt() + goodbye());
  // Present, and a file named by its first 40 characters beside it: the whole name opens.
  w.write(name, example());
  w.write(name.substr(0, 40), "NOT THIS FILE\n");
  r = w.run({name, "", "N", ""});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(" PIN01A  1790  3107"), std::string::npos);
  const std::string cor = w.read(name + "_COR");
  ASSERT_FALSE(cor.empty());
  EXPECT_EQ(lines_of(cor)[0], "CORRECTED RING-WIDTH DATA: " + name + "_COR");
  EXPECT_EQ(tucson_rings(cor), tucson_rings(example()));
}

TEST(Dialogue, ShortFilesPreviewOnlyTheirLines) {
  Workspace w;
  w.write("three.txt", "first line\r\nsecond\r\nthird");
  const Result r = w.run({"three.txt", "/"});
  EXPECT_EQ(r.status, 0);
  // No guess for three lines: straight to the menu, where "/" ends at once.
  EXPECT_EQ(r.out.substr(0, r.out.find("\n     Tree-ring")),
            file_prompt() + preview({"first line", "second", "third"}));
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST(Dialogue, EmptySelectionWritesTheCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  const Result r = w.run({"pine.rwl", "", "N", ""});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, example_until_selection() + seq_prompt + goodbye());
  const auto lines = lines_of(w.read("pine.rwl_COR"));
  ASSERT_GT(lines.size(), 2u);
  EXPECT_EQ(lines[0], pad("CORRECTED RING-WIDTH DATA: pine.rwl_COR", 27 + 40));
  // Every data line as in the input (the writer adds a blank line tag to full lines).
  const auto in = lines_of(example());
  ASSERT_EQ(lines.size(), in.size());
  for (std::size_t i = 1; i < in.size(); ++i) EXPECT_EQ(rtrim(lines[i]), in[i]) << i;
}

// An earlier corrected file is replaced (whole) by a session that corrected something, and
// kept by one that did not, however it ends: it may hold an earlier session's corrections.
TEST(Dialogue, AnExistingCorrectedFileIsReplacedOnlyByCorrections) {
  Workspace w;
  w.write("pine.rwl", example());
  w.write("pine.rwl_COR", std::string(200000, 'x') + "\n");
  Result r = w.run({"pine.rwl", "", "N", ""});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, example_until_selection() + seq_prompt + goodbye());  // the same words
  EXPECT_EQ(w.read("pine.rwl_COR"), std::string(200000, 'x') + "\n");
  r = w.run({"pine.rwl", "", "N", "5", "1", "", "", "", "I", "1", "1904", "B", "", ""});
  EXPECT_EQ(r.status, 0);
  const std::string corrected = w.read("pine.rwl_COR");
  EXPECT_EQ(corrected.find('x'), std::string::npos);
  ASSERT_NE(tucson_rings(corrected), tucson_rings(example()));
  // A second session on the same file that changes nothing keeps those corrections: left
  // at the spline question, at the selection, or by the end of its input.
  for (const std::vector<std::string>& answers : std::vector<std::vector<std::string>>{
           {"pine.rwl", "", "/"}, {"pine.rwl", "", "N", ""}, {"pine.rwl", ""}}) {
    r = w.run(answers);
    EXPECT_EQ(w.read("pine.rwl_COR"), corrected) << answers.size();
  }
}

TEST(Dialogue, ACorrectedFileThatCannotBeWrittenIsNoSuccess) {
  Workspace w;
  w.write("pine.rwl", example());
  std::filesystem::create_directory(w.path("pine.rwl_COR"));  // nothing can be renamed over it
  const Result r = w.run({"pine.rwl", "", "N", "", ""});
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out, example_until_selection() + seq_prompt +
                       " *** Could not write the corrected file: pine.rwl_COR\n");
  EXPECT_TRUE(std::filesystem::is_directory(w.path("pine.rwl_COR")));
}

TEST(Dialogue, MeasurementQuestionNoLeadsToTheMenu) {
  Workspace w;
  w.write("pine.rwl", example());
  const Result r = w.run({"pine.rwl", "n", "9", "2", "N", ""});
  EXPECT_EQ(r.status, 0);
  const std::string menu = "\n     Tree-ring measurement types (/ to exit, H for help):\n" +
                           pad("     Raw measurements  (TUCSON format)", 44) + "1\n" +
                           pad("     Tree-ring indices (TUCSON format)", 44) + "2\n" +
                           pad("     Enter your data format type", 39) + "==>  ";
  const auto lines = lines_of(example());
  EXPECT_EQ(r.out.substr(0, r.out.find(" Title of data:")),
            file_prompt() + preview(lines) + "\n" + prompt("TUCSON MEASUREMENT FORMAT? <Y>/N") +
                menu + menu + "\n");
  // Read as indices, written with the index layout: value and count pairs, 9990 at the end.
  const auto cor = lines_of(w.read("pine.rwl_COR"));
  ASSERT_GT(cor.size(), 2u);
  EXPECT_EQ(cor[1].substr(0, 24), "PIN01A17903107  13250  1");
}

TEST(Dialogue, MeasurementQuestionAsksAgainOnOtherAnswers) {
  Workspace w;
  w.write("pine.rwl", example());
  const Result r = w.run({"pine.rwl", "x", "/", "y", "N", ""});
  EXPECT_EQ(r.status, 0);
  const std::string q = "\n" + prompt("TUCSON MEASUREMENT FORMAT? <Y>/N");
  const auto first = r.out.find(q);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(r.out.substr(first, 3 * q.size() + 1), q + q + q + "\n");
}

TEST(Dialogue, DetrendingAnswers) {
  Workspace w;
  w.write("pine.rwl", example());
  const std::string done = "\n OKAY, THE SPLINING IS DONE\n";
  // An empty answer detrends; the corrected file still holds the measurements.
  Result r = w.run({"pine.rwl", "", "", ""});
  EXPECT_EQ(r.status, 0);
  const std::string head = example_until_selection();
  const std::string before = head.substr(0, head.find("\n     TREE-RING"));
  EXPECT_EQ(r.out, before + done + head.substr(before.size()) + seq_prompt + goodbye());
  EXPECT_EQ(tucson_rings(w.read("pine.rwl_COR")), tucson_rings(example()));
  // "N" and any other answer: no detrending, asked once.
  for (const char* answer : {"N", "x"}) {
    r = w.run({"pine.rwl", "", answer, ""});
    EXPECT_EQ(r.out, head + seq_prompt + goodbye()) << answer;
  }
  // "/" leaves through the exit, with the corrected file.
  std::filesystem::remove(w.path("pine.rwl_COR"));
  r = w.run({"pine.rwl", "", "/"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, before + goodbye());
  EXPECT_EQ(tucson_rings(w.read("pine.rwl_COR")), tucson_rings(example()));
}

TEST(Dialogue, SequencePromptIgnoresWhatIsNoSeriesNumber) {
  Workspace w;
  w.write("pine.rwl", example());
  const Result r = w.run({"pine.rwl", "", "N", "0", "7", "abc", "-1", "2x", ""});
  EXPECT_EQ(r.status, 0);
  std::string expected = example_until_selection();
  for (int k = 0; k < 6; ++k) expected += seq_prompt;
  EXPECT_EQ(r.out, expected + goodbye());
}

TEST(Dialogue, EndOfInputKeepsTheCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  // At the sequence prompt, with a partial last line.
  Result r = w.run({"pine.rwl", "", "N", "1"}, false);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err, "");
  EXPECT_EQ(tucson_rings(w.read("pine.rwl_COR")), tucson_rings(example()));
  std::filesystem::remove(w.path("pine.rwl_COR"));
  // At the detrending question.
  r = w.run({"pine.rwl", ""});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(tucson_rings(w.read("pine.rwl_COR")), tucson_rings(example()));
  std::filesystem::remove(w.path("pine.rwl_COR"));
  // Before a file is read: nothing is written.
  r = w.run({"pine.rwl"});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(w.exists("pine.rwl_COR"));
}

TEST(Dialogue, PickedSeriesAreShownBeforeTheComparison) {
  Workspace w;
  w.write("pine.rwl", example());
  // Series 3 twice; the plot options menu continues on an empty line, the comparison is
  // left with a letter that is no edit choice, then an empty selection ends the run.
  const Result r = w.run({"pine.rwl", "", "N", "3", "3", "", "", "", "X", ""});
  EXPECT_EQ(r.status, 0);
  const std::string expected = example_until_selection() + seq_prompt + seq_prompt + seq_prompt +
                               "\n YO, THE TREE-RING SERIES SELECTED FOR EXAMINATION\n" +
                               pick_row(1, "PIN02A", 1781, 1994) +
                               pick_row(2, "PIN02A", 1781, 1994) + " HIT RETURN TO CONTINUE\n";
  ASSERT_GE(r.out.size(), expected.size());
  EXPECT_EQ(r.out.substr(0, expected.size()), expected);
  // After the comparison the listing comes back unchanged.
  EXPECT_NE(r.out.find(listing(example_rows()), expected.size()), std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.size() - goodbye().size()), goodbye());
  EXPECT_EQ(tucson_rings(w.read("pine.rwl_COR")), tucson_rings(example()));
}

}  // namespace

namespace {

using namespace session;

// Picks PIN04A and PIN01A, inserts the missing ring of 1903 into PIN04A (series 1 of the
// pass), then picks PIN04A again and leaves the edit menu with `letter`.
std::vector<std::string> insert_then(const std::string& letter) {
  return {"pine.rwl", "",  "N", "5",    "1",    "", "",
          "",         "I", "1", "1904", "B",    "",   // first comparison
          "5",        "",  "",  "",     letter, ""};  // second, then the pause
}

const std::string stop_line = " Okay, so STOP already!\n";

TEST(Dialogue, QuitAfterAnInsertKeepsTheCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  // The normal exit after the same insert, for comparison.
  Result r = w.run({"pine.rwl", "", "N", "5", "1", "", "", "", "I", "1", "1904", "B", "", ""});
  ASSERT_EQ(r.status, 0);
  const std::string by_exit = w.read("pine.rwl_COR");
  ASSERT_NE(tucson_rings(by_exit), tucson_rings(example()));
  std::filesystem::remove(w.path("pine.rwl_COR"));

  r = w.run(insert_then("Q"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  ASSERT_GE(r.out.size(), stop_line.size());
  EXPECT_EQ(r.out.substr(r.out.size() - stop_line.size()), stop_line);
  EXPECT_EQ(r.out.find(goodbye()), std::string::npos);
  EXPECT_EQ(w.read("pine.rwl_COR"), by_exit);  // same name, same content as the normal exit
}

TEST(Dialogue, QuitWithoutAnEditLeavesAnEarlierCorrectedFile) {
  Workspace w;
  w.write("pine.rwl", example());
  w.write("pine.rwl_COR", "EARLIER CORRECTIONS\n");
  const Result r = w.run({"pine.rwl", "", "N", "5", "", "", "", "q", ""});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(r.out.size() - stop_line.size()), stop_line);
  EXPECT_EQ(w.read("pine.rwl_COR"), "EARLIER CORRECTIONS\n");
  // A shift or a rescale alone never reaches the store: still nothing to keep.
  const Result shifted = w.run({"pine.rwl", "", "N", "5", "", "", "", "H", "1", "2", "", "Q", ""});
  EXPECT_EQ(shifted.status, 0);
  EXPECT_EQ(w.read("pine.rwl_COR"), "EARLIER CORRECTIONS\n");
}

TEST(Dialogue, QuitReportsACorrectedFileThatCannotBeWritten) {
  Workspace w;
  w.write("pine.rwl", example());
  std::filesystem::create_directory(w.path("pine.rwl_COR"));  // nothing can be renamed over it
  const Result r = w.run(insert_then("Q"));
  EXPECT_NE(r.status, 0);
  const std::string tail = " *** Could not write the corrected file: pine.rwl_COR\n" + stop_line;
  ASSERT_GE(r.out.size(), tail.size());
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);
  EXPECT_TRUE(std::filesystem::is_directory(w.path("pine.rwl_COR")));
}

}  // namespace
