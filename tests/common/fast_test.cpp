#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>
#include <zlib.h>

#include "common/fast.h"

namespace {

std::string temp_path(const std::string &tag) {
  static int counter = 0;
  return testing::TempDir() + "venkari_fast_" + std::to_string(::getpid()) +
         "_" + std::to_string(counter++) + tag;
}

struct temp_file {
  std::string path;
  explicit temp_file(const std::string &text, bool gz = false)
      : path(temp_path(gz ? ".gz" : ".txt")) {
    if (gz) {
      gzFile out = gzopen(path.c_str(), "wb");
      gzwrite(out, text.data(), unsigned(text.size()));
      gzclose(out);
    } else {
      std::ofstream(path, std::ios::binary) << text;
    }
  }
  ~temp_file() { std::remove(path.c_str()); }
};

struct result {
  std::vector<fast_t> recs;
  int last_l = 0;
  std::string damage;
};

result read_all(const std::string &path, bool trim) {
  result r;
  fast reader(path, trim);
  for (int guard = 0; guard < 100000; ++guard) {
    fast_t rec = reader.get_next_record();
    if (reader.l < 0) {
      EXPECT_EQ(rec.name, "");
      EXPECT_EQ(rec.seq, "");
      EXPECT_EQ(rec.qual, "");
      r.last_l = reader.l;
      r.damage = reader.damage;
      // The reader stays at the end.
      reader.get_next_record();
      EXPECT_EQ(reader.l, -1);
      return r;
    }
    EXPECT_EQ(reader.l, int(rec.seq.size()));
    r.recs.push_back(rec);
  }
  ADD_FAILURE() << "reader did not end";
  return r;
}

result read_text(const std::string &text, bool trim = true) {
  temp_file f(text);
  return read_all(f.path, trim);
}

// "name|seq|qual" of each record.
std::vector<std::string> fields(const result &r) {
  std::vector<std::string> out;
  for (const fast_t &rec : r.recs)
    out.push_back(rec.name + "|" + rec.seq + "|" + rec.qual);
  return out;
}

} // namespace

TEST(Fast, FastqNameTrimming) {
  const std::string text = "@r1 extra/1\nACGT\n+\nIIII\n";
  for (bool trim : {false, true}) {
    result r = read_text(text, trim);
    ASSERT_EQ(r.recs.size(), 1u);
    EXPECT_EQ(r.recs[0].name, trim ? "r1" : "r1 extra/1");
    EXPECT_EQ(r.recs[0].seq, "ACGT");
    EXPECT_EQ(r.recs[0].qual, "IIII");
    EXPECT_TRUE(r.recs[0].qual_exist);
    EXPECT_EQ(r.last_l, -1);
  }
  result r = read_text("@a/1\tb\nA\n+\nI\n@c\td\nA\n+\nI\n");
  EXPECT_EQ(r.recs[0].name, "a");
  EXPECT_EQ(r.recs[1].name, "c");
}

TEST(Fast, MultiLineFasta) {
  result r = read_text(">chr1 desc\nAC GT\nNN\n>chr2\nT", false);
  ASSERT_EQ(r.recs.size(), 2u);
  EXPECT_EQ(r.recs[0].name, "chr1 desc");
  EXPECT_EQ(r.recs[0].seq, "ACGTNN");
  EXPECT_EQ(r.recs[1].seq, "T");
  for (const fast_t &rec : r.recs) {
    EXPECT_EQ(rec.qual, "*");
    EXPECT_FALSE(rec.qual_exist);
  }
}

TEST(Fast, HeaderCharacterInsideSequenceStartsRecord) {
  result r = read_text(">a\nACG@TT\nGG\n>b\nC\n");
  ASSERT_EQ(r.recs.size(), 3u);
  EXPECT_EQ(r.recs[0].seq, "ACG");
  EXPECT_EQ(r.recs[1].name, "TT");
  EXPECT_EQ(r.recs[1].seq, "GG");
}

// A header or a '+' line of sixteen bytes or more after a sequence line is
// no sequence line: it is looked at sixteen bytes at a time.
TEST(Fast, LongHeaderAndPlusLinesEndTheSequence) {
  const std::string n1 = "read_with_a_long_name_1",
                    n2 = "chr2_a_long_name_here";
  struct known {
    std::string text;
    std::vector<std::string> want;
  };
  const std::vector<known> cases = {
      {">r1\nACGTACGT\n>" + n2 + "\nGGGG\n", {"r1|ACGTACGT|*", n2 + "|GGGG|*"}},
      {">r1\nACGTACGTACGTACGTACGT\nACGT\n>" + n2 + "\nGGGG\n",
       {"r1|ACGTACGTACGTACGTACGTACGT|*", n2 + "|GGGG|*"}},
      {"@" + n1 + "\nACGTACGT\n@" + n2 + "\nGGGG\n",
       {n1 + "|ACGTACGT|*", n2 + "|GGGG|*"}},
      {"@" + n1 + "\nACGTACGTACGTACGTACGT\n+" + n1 +
           "\nIIIIIIIIIIIIIIIIIIII\n@" + n2 + "\nACGT\n+" + n2 + "\nIIII\n",
       {n1 + "|ACGTACGTACGTACGTACGT|IIIIIIIIIIIIIIIIIIII", n2 + "|ACGT|IIII"}},
  };
  for (const known &k : cases)
    for (bool gz : {false, true}) {
      temp_file f(k.text, gz);
      result r = read_all(f.path, true);
      EXPECT_EQ(fields(r), k.want) << k.text;
      EXPECT_EQ(r.damage, "") << k.text;
      EXPECT_EQ(r.last_l, -1) << k.text;
    }
}

TEST(Fast, QualitySpanningLines) {
  result r = read_text("@r\nAC\nGT\n+r\nII\nII\n@s\nA\n+\n#\n");
  ASSERT_EQ(r.recs.size(), 2u);
  EXPECT_EQ(r.recs[0].seq, "ACGT");
  EXPECT_EQ(r.recs[0].qual, "IIII");
  EXPECT_EQ(r.recs[1].qual, "#");
  EXPECT_EQ(r.damage, "");
  // Quality lines may begin with '@', the first line as a later one.
  r = read_text("@a\nACGT\n+\n@III\n@b\nACG\n+\nI\n@I\n>c\nA\n");
  EXPECT_EQ(fields(r),
            (std::vector<std::string>{"a|ACGT|@III", "b|ACG|I@I", "c|A|*"}));
  EXPECT_EQ(r.last_l, -1);
  r = read_text("@a\nAC\n+\n+I\n\n \n@b\nAC\n+\n@I\n");
  EXPECT_EQ(fields(r), (std::vector<std::string>{"a|AC|+I", "b|AC|@I"}));
  EXPECT_EQ(r.damage, "");
  // Blanks after a whole quality are no quality bytes.
  r = read_text("@a\nAC\n+\nII \t\n\n@b\nA\n+\nI \n");
  EXPECT_EQ(fields(r), (std::vector<std::string>{"a|AC|II", "b|A|I"}));
  EXPECT_EQ(r.damage, "");
  // A short quality line that would borrow from the next line is damage.
  r = read_text("@r\nACGT\n+\nII\nIIXX\n");
  EXPECT_TRUE(r.recs.empty());
  EXPECT_EQ(r.damage,
            "record 1 is damaged (its quality is shorter than its sequence)");
}

TEST(Fast, TruncatedLastRecord) {
  // A FASTQ record that the end of the input reaches before its whole
  // quality is cut short wherever the cut falls: in the header, in the
  // sequence, before the '+' line, in it or in the quality.
  const std::string whole = "@a\nA\n+\nI\n";
  for (const char *cut : {"@", "@r1 x", "@r1 x\n", "@r\nAC", "@r\nACGT\n",
                          "@r\nACGT\n+", "@r\nACGT\n+\nII"}) {
    result r = read_text(whole + cut);
    ASSERT_EQ(r.recs.size(), 1u) << cut;
    EXPECT_EQ(r.recs[0].name, "a");
    EXPECT_EQ(r.last_l, -2) << cut;
  }
  // Said once, as read_next gives it.
  temp_file f(whole + "@r\nAC");
  fast reader(f.path, true);
  fast_t rec;
  testing::internal::CaptureStderr();
  EXPECT_EQ(read_next(reader, rec), 1);
  EXPECT_EQ(read_next(reader, rec), -2);
  EXPECT_EQ(read_next(reader, rec), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning: " + f.path +
                ": the last FASTQ record is cut short and was skipped\n");

  // A lone '@' record is cut short too.
  EXPECT_EQ(read_text("@r\nAC").last_l, -2);
  EXPECT_EQ(read_text("@r\nAC").damage, "");

  // FASTA records end where the input ends, and an '@' record without a
  // quality that another record follows is read as it stands until the
  // input has shown a '+' line.
  result r = read_text(">a\nAC\n>b\nGG");
  EXPECT_EQ(fields(r), (std::vector<std::string>{"a|AC|*", "b|GG|*"}));
  EXPECT_EQ(r.last_l, -1);
  r = read_text("@b\nG\n+\nI\n@c\nT\n>d\nC\n");
  EXPECT_EQ(fields(r), (std::vector<std::string>{"b|G|I"}));
  EXPECT_EQ(r.damage, "record 2 is damaged (its '+' line is missing)");
  r = read_text(">a\nAC\n@b\nG\n+\nI\n@c\nT\n");
  EXPECT_EQ(fields(r), (std::vector<std::string>{"a|AC|*", "b|G|I"}));
  EXPECT_EQ(r.last_l, -2);
  EXPECT_EQ(r.damage, "");
  // '@' records that never carry a quality are records without quality, the
  // last one too.
  for (const char *text : {"@r1\nACGT\n@r2\nGGCC\n", "@r1\nACGT\n@r2\nGGCC"}) {
    r = read_text(text);
    EXPECT_EQ(fields(r), (std::vector<std::string>{"r1|ACGT|*", "r2|GGCC|*"}));
    EXPECT_EQ(r.last_l, -1);
    EXPECT_EQ(r.damage, "");
  }
  // A first record that lost its '+' line and that only empty records follow
  // (one begun by a '>' in its quality, or an empty '>' or '@' record) is
  // the last record, cut short as without them.
  for (const char *text :
       {"@r1\nACGTACGTAC\nIIIII>IIII\n", "@r1\nACGTACGTAC\nIIIIIIIIII\n>\n",
        "@r1\nACGT\nIIII\n@e\n\n>f\n", "@r1\nACGT\nIIII\n@"})
    for (bool gz : {false, true}) {
      temp_file f(text, gz);
      r = read_all(f.path, true);
      EXPECT_TRUE(r.recs.empty()) << text;
      EXPECT_EQ(r.last_l, -2) << text;
      EXPECT_EQ(r.damage, "") << text;
    }
}

TEST(Fast, StrayBytesAtEveryPlaceOfALine) {
  // Sequence lines drop bytes that are no graphic letters, and quality
  // lines blanks, wherever they stand in the line; '~' and DEL are the
  // last letters of each.
  const std::string seq = "ACGTNACGTNACGTNACGTNACGTNACGTNACGTNACG~";
  const std::string qual = "!\"#IIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIIII\x7f";
  const std::string clean = "@r\n" + seq + "\n+\n" + qual + "\n";
  ASSERT_EQ(fields(read_text(clean + clean)),
            (std::vector<std::string>{"r|" + seq + "|" + qual,
                                      "r|" + seq + "|" + qual}));
  for (const char stray : {'\x7f', '\x80', '\xff', ' ', '\t', '\r', '\x01'})
    for (size_t at = 0; at <= seq.size(); ++at) {
      std::string s = seq, q = qual;
      s.insert(at, 1, stray);
      if (stray == ' ' || stray == '\t' || stray == '\r')
        q.insert(at, 1, stray);
      const std::string rec = "@r\n" + s + "\n+\n" + q + "\n";
      EXPECT_EQ(fields(read_text(rec + clean)),
                (std::vector<std::string>{"r|" + seq + "|" + qual,
                                          "r|" + seq + "|" + qual}))
          << int(stray) << " at " << at;
    }
}

TEST(Fast, EmptyRecordsAreSkipped) {
  result r = read_text("@e\n\n+\n\n@r\nAC\n+\nII\n");
  ASSERT_EQ(r.recs.size(), 1u);
  EXPECT_EQ(r.recs[0].name, "r");
  EXPECT_EQ(r.recs[0].seq, "AC");
  r = read_text(">e\n>f\nA\n>g\n");
  ASSERT_EQ(r.recs.size(), 1u);
  EXPECT_EQ(r.recs[0].name, "f");
  EXPECT_EQ(r.last_l, -1);
  // An empty '@' record shows nothing of the input's kind: '@' records
  // without quality after it, or a '>' record, are read as before.
  const std::pair<std::string, size_t> bare[] = {{"@e\n@a\nAC\n@b\nGT\n", 2},
                                                 {"@e\n@a\nAC\n", 1},
                                                 {"@e\n@a\nAC\n>\n", 1},
                                                 {"@e\n>a\nAC\n@b\nGT\n", 2}};
  for (const auto &b : bare) {
    r = read_text(b.first);
    ASSERT_EQ(r.recs.size(), b.second) << b.first;
    EXPECT_EQ(r.recs[0].seq, "AC") << b.first;
    EXPECT_EQ(r.last_l, -1) << b.first;
  }
}

TEST(Fast, NoRecords) {
  EXPECT_EQ(read_text("").last_l, -1);
  EXPECT_TRUE(read_text("").recs.empty());
  EXPECT_EQ(read_text(">").last_l, -1);
  EXPECT_EQ(read_text("\n \t\r\n").last_l, -1);
  // Text that is no record is damage.
  result r = read_text("ACGT\nno header\n");
  EXPECT_EQ(r.last_l, -2);
  EXPECT_EQ(r.damage, "record 1 is damaged (its header line does not begin "
                      "with '@' or '>')");
}

TEST(Fast, WindowsLineEnds) {
  result r =
      read_text("@r1 x\r\nAC\r\nGT\r\n+\r\nII\r\nII\r\n>f\r\nAA\r\n", false);
  EXPECT_EQ(fields(r),
            (std::vector<std::string>{"r1 x\r|ACGT|IIII", "f\r|AA|*"}));
  r = read_text("@r1 x\r\nAC\r\n+\r\nII\r\n", true);
  EXPECT_EQ(r.recs[0].name, "r1");
  // A name cut for output ends at the carriage return as at a blank, and
  // neither sequence nor quality ever holds one.
  r = read_text("@r1\r\nAC\r\nGT\r\n+r1\r\nI\rI\r\nII\r\n>f\r\nA\rA\r\n"
                "@a\rb\r\nC\r\n+\r\nI\r\n",
                true);
  EXPECT_EQ(fields(r),
            (std::vector<std::string>{"r1|ACGT|IIII", "f|AA|*", "a|C|I"}));
}

namespace {

// Many records so the input crosses the scanner's buffer many times.
std::string many_records(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    std::string seq(20 + i % 37, "ACGT"[i % 4]);
    if (i % 3 == 0) {
      text += ">f" + std::to_string(i) + " d\n" + seq.substr(0, 10) + "\n" +
              seq.substr(10) + "\n";
    } else {
      std::string q(seq.size(), char('!' + i % 40));
      text += "@q" + std::to_string(i) + "/1\n" + seq + "\n+\n" + q + "\n";
    }
  }
  return text;
}

} // namespace

TEST(Fast, GzipAndPlainGiveIdenticalRecords) {
  const std::string text = many_records(3000);
  temp_file plain(text), gz(text, true);
  result a = read_all(plain.path, false);
  testing::internal::CaptureStderr();
  result b = read_all(gz.path, false);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(a.recs.size(), 3000u);
  ASSERT_EQ(b.recs.size(), a.recs.size());
  for (size_t i = 0; i < a.recs.size(); ++i) {
    EXPECT_EQ(a.recs[i].name, b.recs[i].name);
    EXPECT_EQ(a.recs[i].seq, b.recs[i].seq);
    EXPECT_EQ(a.recs[i].qual, b.recs[i].qual);
    EXPECT_EQ(a.recs[i].qual_exist, b.recs[i].qual_exist);
  }
  EXPECT_EQ(a.recs[3].name, "f3 d");
  EXPECT_EQ(a.recs[3].seq.size(), 23u);
}

TEST(Fast, NextRecordFillsCallersRecord) {
  temp_file f("@a\nACGT\n+\nIIII\n>b\nGG\n");
  fast reader(f.path, true);
  fast_t rec;
  EXPECT_EQ(reader.next_record(rec), 4);
  EXPECT_EQ(rec.qual, "IIII");
  EXPECT_EQ(reader.next_record(rec), 2);
  EXPECT_EQ(rec.name, "b");
  EXPECT_EQ(rec.qual, "*");
  EXPECT_FALSE(rec.qual_exist);
  EXPECT_EQ(reader.next_record(rec), -1);
  EXPECT_EQ(rec.seq, "");
  EXPECT_EQ(reader.l, -1);
}

TEST(Fast, UnopenableFileEndsTheLoop) {
  fast reader(temp_path(".missing"), true);
  EXPECT_FALSE(reader.file_open);
  fast_t rec = reader.get_next_record();
  EXPECT_EQ(reader.l, -1);
  EXPECT_EQ(rec.qual, "File not open!");
  EXPECT_EQ(rec.seq, "");

  fast dir;
  EXPECT_FALSE(dir.open(testing::TempDir()));
  EXPECT_EQ(dir.get_next_record().seq, "");
  EXPECT_EQ(dir.l, -1);

  fast never;
  EXPECT_TRUE(never.trim_slash);
  EXPECT_EQ(never.l, 0);
  never.get_next_record();
  EXPECT_EQ(never.l, -1);
}

TEST(Fast, CloseAndReopen) {
  temp_file a(">a\nAC\n"), b(">b\nGGG\n");
  fast reader(a.path, true);
  EXPECT_TRUE(reader.file_open);
  EXPECT_EQ(reader.get_next_record().seq, "AC");
  reader.close();
  reader.close();
  EXPECT_FALSE(reader.file_open);
  EXPECT_TRUE(reader.open(b.path));
  EXPECT_EQ(reader.l, 0);
  EXPECT_EQ(reader.get_next_record().seq, "GGG");
}

TEST(Fast, CorruptOrTruncatedGzipIsKeptForOneReport) {
  const std::string text = many_records(4000);
  temp_file gz(text, true);
  std::string bytes;
  {
    std::ifstream in(gz.path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(bytes.size(), 2000u);

  std::string cut_path = temp_path(".cut.gz");
  std::ofstream(cut_path, std::ios::binary)
      << bytes.substr(0, bytes.size() / 2);
  std::string bad = bytes;
  for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 64; ++i)
    bad[i] = char(bad[i] ^ 0x5A);
  std::string bad_path = temp_path(".bad.gz");
  std::ofstream(bad_path, std::ios::binary) << bad;

  for (const std::string &path : {cut_path, bad_path}) {
    // The reader itself says nothing, however often the file is read.
    testing::internal::CaptureStderr();
    result r = read_all(path, true);
    read_all(path, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(r.recs.size(), 4000u);
    EXPECT_LT(r.last_l, 0);

    fast reader(path, true);
    fast_t rec;
    while (reader.next_record(rec) >= 0) {
    }
    EXPECT_EQ(reader.damage.find("gzip input is corrupt or truncated ("), 0u)
        << reader.damage;
    reader.close();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(report_damage(reader)); // kept after close
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find(": " + reader.damage + "; reading stopped early\n"),
              path.size() + err.find(path))
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    // Opening again starts clean.
    EXPECT_TRUE(reader.open(gz.path));
    EXPECT_EQ(reader.damage, "");
    std::remove(path.c_str());
  }

  // A whole file is no damage.
  fast whole(gz.path, true);
  fast_t rec;
  int n = 0;
  while (whole.next_record(rec) >= 0)
    ++n;
  EXPECT_EQ(n, 4000);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(report_damage(whole));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Fast, DamageDropsTheRecordItCut) {
  for (bool fastq : {false, true}) {
    // Random bases, so that the compressed file is long and a cut falls
    // inside sequence lines as well as elsewhere.
    std::vector<std::string> seqs;
    std::string text;
    uint32_t x = 12345;
    for (int i = 0; i < 300; ++i) {
      std::string s(400, 'A');
      for (char &c : s) {
        x = x * 1103515245u + 12345u;
        c = "ACGT"[(x >> 16) & 3];
      }
      seqs.push_back(s);
      const std::string name = "r" + std::to_string(i);
      if (fastq)
        text += "@" + name + "\n" + s + "\n+\n" + std::string(400, 'I') + "\n";
      else
        text +=
            ">" + name + "\n" + s.substr(0, 200) + "\n" + s.substr(200) + "\n";
    }
    temp_file gz(text, true);
    std::string bytes;
    {
      std::ifstream in(gz.path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (int part = 1; part < 20; ++part) {
      const std::string cut_path = temp_path(".cut.gz");
      std::ofstream(cut_path, std::ios::binary)
          << bytes.substr(0, bytes.size() * size_t(part) / 20);
      fast reader(cut_path, true);
      fast_t rec;
      size_t n = 0;
      while (reader.next_record(rec) >= 0) {
        ASSERT_LT(n, seqs.size());
        // Every record given is whole: what was read before the damage.
        EXPECT_EQ(rec.name, "r" + std::to_string(n)) << part;
        EXPECT_EQ(rec.seq, seqs[n]) << "fastq " << fastq << " part " << part;
        ++n;
      }
      EXPECT_LT(n, seqs.size());
      EXPECT_NE(reader.damage, "");
      reader.next_record(rec);
      EXPECT_EQ(reader.l, -1); // and it stays at the end
      std::remove(cut_path.c_str());
    }
  }
}

TEST(Fast, BinaryDataIsRefused) {
  const std::string text = many_records(3000);
  const std::vector<std::string> want = fields(read_text(text, true));
  ASSERT_GT(text.size(), 60000u);
  const std::string not_text = " is not text (it holds a NUL byte)\n";
  for (bool gz : {false, true}) {
    // In the first block: the file is refused when it is opened.
    std::string bytes = text;
    bytes[100] = '\0';
    temp_file first(bytes, gz);
    fast reader;
    EXPECT_FALSE(reader.open(first.path));
    EXPECT_FALSE(reader.file_open);
    EXPECT_TRUE(reader.not_text);
    EXPECT_EQ(reader.get_next_record().seq, "");
    EXPECT_EQ(reader.l, -1);
    testing::internal::CaptureStderr();
    report_open_failure(reader, "cannot open: ");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: " + first.path + not_text);

    // After several blocks: the input ends right before the byte. Every
    // record wholly before it passes, the one it falls in is dropped, and
    // there is no cut-short warning. A FASTQ record ends with its quality
    // line; a FASTA record only where the next header begins, as its
    // sequence may go on over lines.
    std::vector<size_t> starts; // quality lines may begin with '@' or '>'
    for (size_t p = 0; p < text.size(); ++p)
      if ((p == 0 || text[p - 1] == '\n') &&
          (!text.compare(p, 2, "@q") || !text.compare(p, 2, ">f")))
        starts.push_back(p);
    size_t j = 1; // an '@' record after an '@' record, several blocks in
    while (starts[j] < 50000 || text[starts[j]] != '@' ||
           text[starts[j - 1]] != '@')
      ++j;
    size_t k = j; // a record after a FASTA record
    while (text[starts[k - 1]] != '>')
      ++k;
    const size_t head = starts[j];
    const size_t qual = text.find("\n+\n", head) + 5;
    const std::vector<std::pair<size_t, size_t>> cuts = {
        {head, j}, {head - 1, j}, {head + 2, j},      {head + 8, j},
        {qual, j}, {qual + 2, j}, {starts[k], k - 1}, {starts[k] + 1, k}};
    for (const auto &cut : cuts) {
      const size_t at = cut.first, whole = cut.second;
      bytes = text;
      bytes[at] = '\0';
      temp_file later(bytes, gz);
      ASSERT_TRUE(reader.open(later.path));
      EXPECT_FALSE(reader.not_text);
      result got;
      fast_t rec;
      testing::internal::CaptureStderr();
      while (read_next(reader, rec) >= 0)
        got.recs.push_back(rec);
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
      const std::vector<std::string> seen = fields(got);
      ASSERT_EQ(seen.size(), whole) << at;
      EXPECT_TRUE(std::equal(seen.begin(), seen.end(), want.begin()));
      EXPECT_TRUE(reader.not_text);
      testing::internal::CaptureStderr();
      EXPECT_TRUE(report_damage(reader));
      EXPECT_EQ(testing::internal::GetCapturedStderr(),
                "ERROR: " + later.path + not_text);
    }
  }
  // Compressed text is text: only the bytes it inflates to are looked at.
  temp_file gz(text, true);
  fast reader(gz.path, true);
  fast_t rec;
  size_t n = 0;
  while (reader.next_record(rec) >= 0)
    ++n;
  EXPECT_EQ(n, want.size());
  EXPECT_FALSE(reader.not_text);
  EXPECT_EQ(reader.damage, "");
}

TEST(Fast, DamagedRecordEndsTheInput) {
  const std::string longer = "its quality is longer than its sequence";
  const std::string shorter = "its quality is shorter than its sequence";
  const std::string no_plus = "its '+' line is missing";
  const std::string no_head = "its header line does not begin with '@' or '>'";
  const std::string no_qual = "its quality line is missing";
  const std::string two_plus = "its '+' line is doubled";
  const std::string plus_after_bare =
      "it has a '+' line but the '@' records before it have none";
  const std::string a = "@a\nAC\n+\nII\n";
  struct known {
    std::string text;
    size_t whole; // records read before the damage
    std::string damage;
  };
  const std::vector<known> cases = {
      {a + "@b\nACGT\n+\nIIIII\n@c\nA\n+\nI\n", 1,
       "record 2 is damaged (" + longer + ")"},
      {a + "@b\nACGT\n+\nIIII@c\nA\n+\nI\n", 1,
       "record 2 is damaged (" + longer + ")"},
      {a + "@b\nACGT\n+\nIIII \tI\n", 1,
       "record 2 is damaged (" + longer + ")"},
      {a + "@b\nACGTACGTAC\n+\nIIIII\n@c\nACGT\n+\nIIII\n", 1,
       "record 2 is damaged (" + shorter + ")"},
      // A short quality line that takes lines up to a line end.
      {a + "@b\nACGTACGTAC\n+\nIIIII\n@cccc\nACGT\n+\nIIII\n", 1,
       "record 2 is damaged (" + shorter + ")"},
      {a + "@b\nGG\nII\n@c\nA\n+\nI\n", 1,
       "record 2 is damaged (" + no_plus + ")"},
      {a + "@b\nGG\n>c\nA\n", 1, "record 2 is damaged (" + no_plus + ")"},
      {a + "b\nGG\n+\nII\n", 1, "record 2 is damaged (" + no_head + ")"},
      {a + "\n \n" + a + "x\n", 2, "record 3 is damaged (" + no_head + ")"},
      {"x@a\nA\n+\nI\n", 0, "record 1 is damaged (" + no_head + ")"},
      // Empty records that are skipped are counted.
      {"@e\n\n+\n\n" + a + "@c\nA\n+\nII\n", 1,
       "record 3 is damaged (" + longer + ")"},
      {"@e\n\n+\nI\n" + a, 0, "record 1 is damaged (" + longer + ")"},
      // Windows line ends: the carriage return ends the quality's line.
      {"@a\r\nAC\r\n+\r\nII\r\n@b\r\nAC\r\n+\r\nIII\r\n", 1,
       "record 2 is damaged (" + longer + ")"},
      {"@a\r\nAC\r\n+\r\nII\rX\r\n", 0, "record 1 is damaged (" + longer + ")"},
      // A lost quality line: the next header, as long as the sequence, is
      // taken as the quality, and its sequence line follows.
      {a + "@b\nACGT\n+\n@cc1\nACGT\n+\nIIII\n", 1,
       "record 2 is damaged (" + no_qual + ")"},
      {a + "@b\nACGT\n+\n@cc1\r\n\n \nACGT\n+\nIIII\n", 1,
       "record 2 is damaged (" + no_qual + ")"},
      {"@r1\nA\n+\n+\nI\n@r2\nC\n+\nI\n", 0,
       "record 1 is damaged (" + two_plus + ")"},
      {a + "@b\nAC\n+\n+b\nII\n", 1, "record 2 is damaged (" + two_plus + ")"},
      // '@' records of both kinds. The first without a '+' line is the
      // damaged one when the next has one, even where that one is damaged
      // too; once the first kind is shown, a record of the other is named.
      {"@a\nAC\nII\n@b\nACGT\n+\nIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {"@a\nAC\n@b\nACGT\n+\nIIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {">x\nA\n@a\nAC\n@b\nACGT\n+\nIIII\n", 1,
       "record 2 is damaged (" + no_plus + ")"},
      {"@a\nAC\n@b\nGG\n>c\nT\n@d\nA\n+\nI\n", 3,
       "record 4 is damaged (" + plus_after_bare + ")"},
      // A first record that lost its '+' line, with a '>' (Q29) in its
      // quality: the empty record that the '>' begins shows nothing.
      {"@r1\nACGTACGTACGTACGTACGT\nIIIIIIIII>IIIIIIIIII\n@r2\n"
       "GGGGCCCCGGGGCCCCAAAA\n+\nIIIIIIIIIIIIIIIIIIII\n",
       0, "record 1 is damaged (" + no_plus + ")"},
      {"@r1\nAC\n>II\n>\n@r2\nGG\n+\nII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      // '>' records show nothing of the '@' records' kind: not one that a
      // '>' in a quality over two lines begins, nor others, up to the next
      // '@' record or '+' line.
      {"@r1\nACGTACGTAC\nIIIII>II\nIII\n@r2\nACGTACGTAC\n+\nIIIIIIIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {"@a\nACGTACGTAC\n>b\nGGGG\n@c\nACGT\n+\nIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {"@a\nAC\n>b\nGG\n>\n>c\nTT\n@d\nACGT\n+\nIIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {"@a\nAC\n>b\nGG\n>c\nTT\n+\nII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      // An empty first '@' record is the one without its '+' line, also
      // when an '@' record without one follows it.
      {"@a\n@b\nACGT\n+\nIIII\n", 0, "record 1 is damaged (" + no_plus + ")"},
      {"@a\n\n@b\nACGT\n@c\nGG\n+\nII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
      {"@a\n@b\n>c\nACGT\n+\nIIII\n", 0,
       "record 1 is damaged (" + no_plus + ")"},
  };
  for (const known &k : cases)
    for (bool gz : {false, true}) {
      temp_file f(k.text, gz);
      testing::internal::CaptureStderr();
      result r = read_all(f.path, true);
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
      EXPECT_EQ(r.recs.size(), k.whole) << k.text;
      for (const fast_t &rec : r.recs)
        EXPECT_TRUE(!rec.qual_exist || rec.seq.size() == rec.qual.size())
            << k.text;
      EXPECT_EQ(r.last_l, -2) << k.text;
      EXPECT_EQ(r.damage, k.damage) << k.text;
    }

  // Far into the input, across many buffers, with the record's number; no
  // cut-short warning, and the one report line.
  std::string text = many_records(3000);
  const size_t at = text.find("\n+\n", text.find("@q2000/1\n")) + 3;
  text.erase(at, 1);
  temp_file f(text);
  fast reader(f.path, true);
  fast_t rec;
  int n = 0;
  testing::internal::CaptureStderr();
  while (read_next(reader, rec) >= 0)
    ++n;
  EXPECT_EQ(n, 2000);
  EXPECT_EQ(reader.record_number, 2001);
  EXPECT_TRUE(report_damage(reader));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: " + f.path + ": record 2001 is damaged (" + shorter +
                "); reading stopped early\n");
}

// What follows the first '@' record without a '+' line is held until an
// '@' record with a sequence, a '+' line or the end shows the input's kind;
// '>' records in between are passed on as before once it is shown.
TEST(Fast, FastaRecordsAfterTheFirstBareRecord) {
  struct known {
    std::string text;
    std::vector<std::string> want;
  };
  const std::vector<known> cases = {
      {"@a\nACGT\n>b\nGG\n@c\nTT\n", {"a|ACGT|*", "b|GG|*", "c|TT|*"}},
      {"@a\nACGT\n>b\nGG\n>c\nTT\n", {"a|ACGT|*", "b|GG|*", "c|TT|*"}},
      {"@a\nAC\n>\n>b\nGG\n", {"a|AC|*", "b|GG|*"}},
      {"@a\nAC\nGT\n>b\nG\nG\n>c\nT\n@d\nA\n@e\nC",
       {"a|ACGT|*", "b|GG|*", "c|T|*", "d|A|*", "e|C|*"}},
  };
  for (const known &k : cases)
    for (bool gz : {false, true}) {
      temp_file f(k.text, gz);
      result r = read_all(f.path, true);
      EXPECT_EQ(fields(r), k.want) << k.text;
      EXPECT_EQ(r.last_l, -1) << k.text;
      EXPECT_EQ(r.damage, "") << k.text;
    }

  // Held in bounded memory: past some megabytes of '>' records the '@'
  // record is taken to be without quality, and a later one with a '+' line
  // is named, every record before it passed on in order.
  const int n = 100000;
  std::string text = "@a\nACGT\n";
  for (int i = 0; i < n; ++i)
    text += ">f" + std::to_string(i) + "\nGGCC\n";
  for (const std::string &tail :
       {std::string(), std::string("@z\nAC\n+\nII\n")}) {
    temp_file f(text + tail);
    fast reader(f.path, true);
    fast_t rec;
    ASSERT_EQ(reader.next_record(rec), 4);
    EXPECT_EQ(rec.name, "a");
    int i = 0;
    while (reader.next_record(rec) > 0 && rec.name == "f" + std::to_string(i))
      ++i;
    EXPECT_EQ(i, n);
    EXPECT_EQ(reader.l, tail.empty() ? -1 : -2);
    EXPECT_EQ(reader.damage,
              tail.empty() ? ""
                           : "record " + std::to_string(n + 2) +
                                 " is damaged (it has a '+' line but the '@' "
                                 "records before it have none)");
  }
}
