#include "aligner/setup/1_align_options.h"

#include <climits>
#include <iostream>
#include <unistd.h>

#include "aligner/setup/2_pen_tester.h"
#include "aligner/setup/param_reader.h"
#include "aligner/setup/params.h"
#include "common/fast.h"
#include "common/number_word.h"
#include "common/path_utils.h"
#include "common/staged_output.h"
#include "common/std_out.h"
#include "common/strings.h"

namespace {

// Penalty values, counts and lengths above these would overflow the 32-bit
// penalty bounds derived from them.
const int MAX_SCORE_VALUE = 1000;
const int MAX_EXT_LENGTH = 10000;
const int MAX_EDIT_COUNT = 100000;
const int MAX_PAIRING_PRIOR = 100000;
const int MAX_THREADS = 255;

// Tolerance values kept until the penalty allowances are built.
struct tolerance_t {
  float mm_prob = tolerance_default::MM_PROB;
  int max_mm = -1;
  float gap_rate = tolerance_default::GAP_RATE;
  int max_gap = -1;
  int max_ext = tolerance_default::MAX_EXT;
  int m_score = tolerance_default::M_SCORE;
  int mm_pen = tolerance_default::MM_PEN;
  int gap_pen = tolerance_default::GAP_PEN;
  int ext_pen = tolerance_default::EXT_PEN;
};

int fail(const std::string &message) {
  std::cerr << message << std::endl;
  return 3;
}

param_reader make_reader() {
  return param_reader("ufas",
                      {"pg", "phase_seq_trim", "assemble", "all_hits", "novo"},
                      "12ufapnroehbimsygldc",
                      {"nw_mat",
                       "nw_sub",
                       "nw_gap",
                       "nw_ext",
                       "sw_mat",
                       "sw_sub",
                       "sw_gap",
                       "sw_ext",
                       "max_occ",
                       "max_occ_nw",
                       "look_ahead",
                       "kmer_pen",
                       "look_ahead_nw",
                       "kmer_pen_nw",
                       "trim",
                       "qual",
                       "rg",
                       "pu",
                       "pl",
                       "lb",
                       "sm",
                       "cn",
                       "ds",
                       "pg",
                       "phase_seq_trim",
                       "sec_num",
                       "assemble",
                       "all_hits",
                       "novo"});
}

// "[-p] " or "[--max_occ] ", the start of an option's messages.
std::string option_tag(const std::string &name) {
  return (name.size() == 1 ? "[-" : "[--") + name + "] ";
}

// "[-p] Must be <what>, not "<word>"": an option word that is no number it
// takes.
std::string option_number_error(const std::string &name,
                                const std::string &what,
                                const std::string &word) {
  return option_tag(name) + "Must be " + number_complaint(what, word);
}

// The value of an integer option. False when it was not given, when an
// earlier option already failed (`status` set), or when its word is no whole
// number an int holds (an empty word is none): then `status` is 3 after a
// message that names the range from `min` to `max` the option takes. The
// option's own checks of that range follow the call.
bool int_val(const param_reader &r, const char *name, int64_t min, int64_t max,
             int &status, int &v) {
  if (status != 0)
    return false;
  std::string text;
  if (!r.find_val(name, text))
    return false;
  int64_t w = 0;
  if (!whole_word(text, INT_MIN, INT_MAX, w)) {
    status = fail(option_number_error(name, whole_what(min, max, text), text));
    return false;
  }
  v = int(w);
  return true;
}

// A plain open, not a stream: a stream's buffer can fail for want of
// memory, and that must not be told as a file that cannot be opened.
bool can_read(const std::string &name) {
  const int fd = open_for_reading(name);
  if (fd < 0)
    return false;
  close(fd);
  return true;
}

int read_files_opt(const param_reader &r, tolve_params_t *p,
                   std::string files[2]) {
  files[0] = r.get_val("1");
  if (files[0].empty())
    return fail("Need at least one read file");
  if (!can_read(files[0])) {
    std::cerr << "ERROR: Cannot open file: " << files[0] << "\n";
    return 3;
  }
  files[1] = r.get_val("2");
  if (!files[1].empty()) {
    if (!can_read(files[1])) {
      std::cerr << "ERROR: Cannot open file: " << files[1] << "\n";
      return 3;
    }
    p->paired = true;
  }
  return 0;
}

void fast_preset(tolve_params_t *p) {
  p->MAX_NUM_HASH = 500;
  p->PHASE_1_LENGTH = 50;
  p->PHASE_1_LENGTH_SW = 20;
  p->PHASE_2_LENGTH_SW = 250;
  p->LOOK_AHEAD_NUM = 2;
  p->NUM_VAL = 1;
  p->DENUM_VAL = 1;
  p->SKIP_AMOUNT = 1;
  p->LOOK_AHEAD_NUM_SW = 2;
  p->NUM_VAL_SW = 1;
  p->DENUM_VAL_SW = 1;
}

void accurate_preset(tolve_params_t *p) {
  p->MAX_NUM_HASH = 12000;
  p->PHASE_1_LENGTH = 150;
  p->PHASE_1_LENGTH_SW = 125;
  p->PHASE_2_LENGTH_SW = 7500;
  p->LOOK_AHEAD_NUM = 3;
  p->NUM_VAL = 1;
  p->DENUM_VAL = 1;
  p->LOOK_AHEAD_NUM_SW = 3;
  p->NUM_VAL_SW = 1;
  p->DENUM_VAL_SW = 1;
}

int flags_and_presets(const param_reader &r, tolve_params_t *p) {
  if (!r.get_val("u").empty())
    p->ungapped = true;
  if (!r.get_val("f").empty())
    fast_preset(p);
  if (!r.get_val("a").empty())
    accurate_preset(p);
  int v, s = 0;
  if (int_val(r, "p", 1, MAX_THREADS, s, v)) {
    if (v <= 0)
      return fail("[-p] Need at least one thread");
    if (v > MAX_THREADS)
      return fail("[-p] Maximum number of threads is 255");
    p->NUM_THREADS = v;
  }
  if (int_val(r, "n", 1, INT_MAX, s, v)) {
    if (v <= 0)
      return fail("[-n] Need at least one hit");
    p->MAX_HITS = v;
  }
  return s;
}

// -r and -o take a word that writes a whole number ("3", "3.0", "1e1") as
// a count and any other number as a rate. The word decides, not the float
// it rounds to: 0.99999999 is a rate, even though its float is 1.
int count_or_rate(const param_reader &r, const char *name, float &rate,
                  int &count, const std::string &negative,
                  const std::string &too_big, const std::string &too_many) {
  std::string text;
  if (!r.find_val(name, text))
    return 0;
  float f = 0;
  if (!real_word(text, -NO_UPPER_LIMIT, NO_UPPER_LIMIT, f))
    return fail(option_number_error(name,
                                    "a count from 0 to " +
                                        toStr(MAX_EDIT_COUNT) +
                                        " or a rate from 0 to below 1",
                                    text));
  if (f < 0)
    return fail(negative);
  if (word_is_whole(text)) {
    if (f > MAX_EDIT_COUNT)
      return fail(too_many);
    count = static_cast<int>(f);
    return 0;
  }
  rate = f;
  count = -1;
  if (f >= 1)
    return fail(too_big);
  return 0;
}

// A non-negative score at most MAX_SCORE_VALUE.
int score_opt(const param_reader &r, const char *name, int &field,
              const std::string &negative, const std::string &label) {
  int v, s = 0;
  if (!int_val(r, name, 0, MAX_SCORE_VALUE, s, v))
    return s;
  if (v < 0)
    return fail(negative);
  if (v > MAX_SCORE_VALUE)
    return fail("[--" + std::string(name) + "] Maximum " + label + " is " +
                toStr(MAX_SCORE_VALUE));
  field = v;
  return 0;
}

int tolerance_opts(const param_reader &r, tolerance_t &t) {
  int s = count_or_rate(r, "r", t.mm_prob, t.max_mm, "[-r] Negative error prob",
                        "[-r] Error prob must be less than 1",
                        "[-r] Maximum number of mismatches is " +
                            toStr(MAX_EDIT_COUNT));
  if (!s)
    s = count_or_rate(r, "o", t.gap_rate, t.max_gap, "[-o] Negative gap rate",
                      "[-o] Gap rate must be less than 1",
                      "[-o] Maximum number of gap openings is " +
                          toStr(MAX_EDIT_COUNT));
  if (s)
    return s;
  int v;
  if (int_val(r, "e", 0, MAX_EXT_LENGTH, s, v)) {
    if (v < 0)
      return fail("[-e] Negative extension length");
    if (v > MAX_EXT_LENGTH)
      return fail("[-e] Maximum extension length is " + toStr(MAX_EXT_LENGTH));
    t.max_ext = v;
  }
  if (s ||
      (s = score_opt(r, "nw_mat", t.m_score,
                     "[--nw_mat] Negative NW match score", "NW match score")))
    return s;
  if ((s = score_opt(r, "nw_sub", t.mm_pen,
                     "[--nw_sub] Negative NW mismatch penalty",
                     "NW mismatch penalty")))
    return s;
  // Penalty bounds are divided by the cost of a mismatch.
  if (t.mm_pen + t.m_score == 0)
    return fail("[--nw_sub] NW mismatch penalty and match score cannot both "
                "be 0");
  if ((s = score_opt(r, "nw_gap", t.gap_pen,
                     "[--nw_gap] Negative NW gap penalty", "NW gap penalty")))
    return s;
  return score_opt(r, "nw_ext", t.ext_pen,
                   "[--nw_ext] Negative NW extension penalty",
                   "NW extension penalty");
}

int read_length_opts(const param_reader &r, tolve_params_t *p) {
  int v, s = 0;
  if (int_val(r, "h", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[-h] Negative end penalty length");
    p->end_gap_dist = v;
  }
  if (int_val(r, "b", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[-b] Negative barcode length");
    p->barcode_len = v;
  }
  if (int_val(r, "i", 1, INT_MAX, s, v)) {
    if (v <= 0)
      return fail("[-i] Bad maximum template length");
    p->MAX_TEMPLATE_SIZE = v;
  }
  if (int_val(r, "m", 1, INT_MAX, s, v)) {
    if (v <= 0)
      return fail("[-m] Bad average template length");
    p->MEAN_TEMPLATE_SIZE = v;
  }
  return s;
}

int pairing_opts(const param_reader &r, tolve_params_t *p) {
  if (!r.get_val("s").empty())
    p->no_pair_sw = true;
  int v, s = 0;
  if (int_val(r, "sec_num", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--sec_num] Negative number of hits");
    p->NUM_SECONDARY_PAIR = v;
  }
  if (int_val(r, "l", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[-l] Bad min length val");
    p->read_min_length = v;
  }
  if (int_val(r, "d", 0, MAX_PAIRING_PRIOR, s, v)) {
    if (v < 0)
      return fail("[-d] Bad Phred pairing prior");
    if (v > MAX_PAIRING_PRIOR)
      return fail("[-d] Maximum Phred pairing prior is " +
                  toStr(MAX_PAIRING_PRIOR));
    p->PHRED_PAIRING_PRIOR = v;
  }
  if (int_val(r, "c", 0, 100, s, v)) {
    if (v < 0 || v > 100)
      return fail("[-c] Bad percentage");
    p->MIN_PERCENT_READ = v;
  }
  return s;
}

// The hybrid files of prefix `prefix`: one, or two for pairs; none without
// a prefix.
std::vector<std::string> hybrid_names(const std::string &prefix, bool paired) {
  if (prefix.empty())
    return {};
  if (paired)
    return {prefix + "_1.fq", prefix + "_2.fq"};
  return {prefix + ".fq"};
}

// The SAM text goes to standard output from the header on, so it may be
// neither an input nor a hybrid file; asked before the hybrid files are
// created.
int stdout_opt(const param_reader &r, const tolve_params_t *p,
               const std::vector<std::string> &inputs) {
  if (stdout_clash(inputs, hybrid_names(r.get_val("y"), p->paired)) !=
      STDOUT_APART)
    return 3;
  return 0;
}

// The hybrid files are created before anything is read, so none of them may
// be the index or a read file.
int hybrid_opt(const param_reader &r, tolve_params_t *p,
               const std::vector<std::string> &inputs) {
  // The gap length of -g is taken and never used; its word must still be one.
  int gap, s = 0;
  if (int_val(r, "g", 0, INT_MAX, s, gap) && gap < 0)
    return fail(
        option_number_error("g", whole_what(0, INT_MAX), r.get_val("g")));
  if (s)
    return s;
  std::string prefix = r.get_val("y");
  if (prefix.empty())
    return 0;
  const std::vector<std::string> names = hybrid_names(prefix, p->paired);
  const std::string over = output_over_input(names, inputs);
  if (!over.empty())
    return fail("ERROR: Hybrid file " + over +
                " would overwrite an input file");
  p->hybrid_staged = new staged_outputs_t();
  for (size_t i = 0; i < names.size(); i++) {
    p->hybrid_out[i] = new staged_stream_t();
    if (!open_staged(*p->hybrid_staged, names[i], *p->hybrid_out[i]))
      return fail("[-y] Could not write hybrid file: " + names[i]);
  }
  p->hybrid_mode = true;
  std::cerr << "[-y] Writing reads less than " << p->mapq_reject
            << " MAPQ to file: " << prefix << "\n"
            << "[-y] Reads with gaps larger than " << p->hybrid_max_gap_reject
            << " will not be rejected\n";
  return 0;
}

int sw_opts(const param_reader &r, tolve_params_t *p) {
  int s;
  if ((s = score_opt(r, "sw_mat", p->M_SW, "[--sw_mat] Negative SW match score",
                     "SW match score")) ||
      (s = score_opt(r, "sw_sub", p->S_SW,
                     "[--sw_sub] Negative SW mismatch penalty",
                     "SW mismatch penalty")) ||
      (s = score_opt(r, "sw_gap", p->D_SW, "[--sw_gap] Negative SW gap penalty",
                     "SW gap penalty")) ||
      (s = score_opt(r, "sw_ext", p->E_SW,
                     "[--sw_ext] Negative SW extension penalty",
                     "SW extension penalty")))
    return s;
  return 0;
}

int seeding_opts(const param_reader &r, tolve_params_t *p) {
  int v, s = 0;
  if (int_val(r, "max_occ", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--max_occ] Negative maximum occurance");
    p->MAX_NUM_HASH = v;
  }
  if (int_val(r, "max_occ_nw", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--max_occ_nw] Negative maximum occurance for NW");
    p->PHASE_2_LENGTH_SW = v;
    if (v > p->MAX_NUM_HASH) {
      std::cerr << "Warning: NW occ larger than occ\n";
      p->MAX_NUM_HASH = v;
    }
  }
  if (int_val(r, "look_ahead", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--look_ahead] Negative look ahead");
    p->LOOK_AHEAD_NUM = v;
  }
  if (int_val(r, "kmer_pen", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--kmer_pen] Negative penalty factor");
    p->NUM_VAL = v;
  }
  if (int_val(r, "look_ahead_nw", 0, INT_MAX, s, v)) {
    if (v < 0)
      return fail("[--look_ahead_nw] Negative look ahead for gapped alignment");
    p->LOOK_AHEAD_NUM_SW = v;
  }
  if (int_val(r, "kmer_pen_nw", 0, INT_MAX, s, v)) {
    if (v < 0) {
      std::cerr << "[--kmer_pen_nw] Negative penalty factor for gapped "
                   "alignment: "
                << v << "\n";
      return 3;
    }
    // NUM_VAL, not NUM_VAL_SW, on purpose: the gapped phase stops on the
    // same look-ahead factor as seeding and no step reads NUM_VAL_SW, so this
    // option is the later spelling of --kmer_pen and wins when both are
    // given. Moving it to NUM_VAL_SW would make it do nothing.
    p->NUM_VAL = v;
  }
  return s;
}

int quality_opts(const param_reader &r, tolve_params_t *p) {
  int v, s = 0;
  if (int_val(r, "trim", 0, INT_MAX, s, v)) {
    if (v < 0) {
      std::cerr << "[--trim] Negative quality for trimming: " << v << "\n";
      return 3;
    }
    p->trim_reads = true;
    p->trim_qual = v;
    std::cerr << "[--trim] Trimming reads with limit Phred score: " << v
              << "\n";
  }
  std::string q = r.get_val("qual");
  if (s || q.empty())
    return s;
  const char *formats[qual_fmt::COUNT] = {"sanger", "ill_13", "ill_15",
                                          "solexa"};
  for (int i = 0; i < qual_fmt::COUNT; i++)
    if (q == formats[i]) {
      p->qual_format = i;
      return 0;
    }
  std::cerr << "[--qual] Invalid quality format: " << q << "\n"
            << "Choices are: \n"
            << "    sanger -- Sanger format (or illumina 1.8+) \n"
            << "    ill_13 -- illumina 1.3+ \n"
            << "    ill_15 -- illumina 1.5+ \n"
            << "    solexa -- solexa format \n";
  return 3;
}

// The value goes into SAM header fields and record tags, where a tab or a
// line break would end the field or the line.
int text_opt(const param_reader &r, const char *name, bool &flag,
             std::string &field, const char *label) {
  std::string v = r.get_val(name);
  if (v.empty())
    return 0;
  if (v.find_first_of("\t\n\r") != std::string::npos)
    return fail("[--" + std::string(name) + "] " + label +
                " may not hold a tab or a line break");
  flag = true;
  field = v;
  std::cerr << "[--" << name << "] " << label << ": " << v << "\n";
  return 0;
}

int read_group_opts(const param_reader &r, tolve_params_t *p) {
  int s;
  if ((s = text_opt(r, "rg", p->output_RG, p->RG_ID, "Read group ID")) ||
      (s = text_opt(r, "pu", p->output_PU, p->PU, "Platform unit")) ||
      (s = text_opt(r, "pl", p->output_PL, p->PL, "Platform")) ||
      (s = text_opt(r, "lb", p->output_LB, p->LB, "Library")) ||
      (s = text_opt(r, "sm", p->output_SM, p->SM, "Sample name")) ||
      (s = text_opt(r, "cn", p->output_CN, p->CN, "Sequencing center")) ||
      (s = text_opt(r, "ds", p->output_DS, p->DS, "Description")))
    return s;
  return 0;
}

void output_opts(const param_reader &r, tolve_params_t *p) {
  if (!r.get_val("pg").empty())
    p->output_PG = true;
  if (!r.get_val("cigar14").empty())
    p->cigar14 = true;
  if (!r.get_val("phase_seq_trim").empty()) {
    p->phase_seq_trim = true;
    std::cerr << "Trimming special phase-seq primer... \n";
  }
  if (!r.get_val("assemble").empty() && p->hybrid_mode) {
    p->output_assemble = true;
    std::cerr << "Outputting reads for assembly\n";
  }
  if (!r.get_val("all_hits").empty()) {
    p->ALL_HITS = true;
    std::cerr << "Outputting all hits instead of XA tag\n";
  }
  if (!r.get_val("novo").empty()) {
    p->NOVO_MODE = true;
    std::cerr << "Outputting in Novoalign format\n";
  }
}

void create_readers(tolve_params_t *p) {
  p->num_fragment = p->paired ? 2 : 1;
  for (int r = 0; r < p->num_fragment; r++) {
    p->reads_file[r] = new fast();
    p->reads_file[r]->trim_slash = true;
  }
  if (p->paired)
    std::cerr << "Reads are paired\n";
}

} // namespace

int read_align_options(tolve_params_t *p, const std::string &index_name,
                       const std::vector<std::string> &words,
                       std::string read_files[2]) {
  param_reader r = make_reader();
  int stop = r.add_params(words);
  if (stop > 0)
    return fail("Error with parameter: " + words[stop - 1]);
  int s;
  if ((s = read_files_opt(r, p, read_files)) || (s = flags_and_presets(r, p)))
    return s;
  tolerance_t t;
  if ((s = tolerance_opts(r, t)))
    return s;
  p->pen = new pen_tester(t.mm_prob, t.max_mm, t.gap_rate, t.max_gap, t.max_ext,
                          t.m_score, t.mm_pen, t.gap_pen, t.ext_pen);
  const std::vector<std::string> inputs = {index_name, read_files[0],
                                           read_files[1]};
  if ((s = read_length_opts(r, p)) || (s = pairing_opts(r, p)) ||
      (s = stdout_opt(r, p, inputs)) || (s = hybrid_opt(r, p, inputs)) ||
      (s = sw_opts(r, p)) || (s = seeding_opts(r, p)) ||
      (s = quality_opts(r, p)) || (s = read_group_opts(r, p)))
    return s;
  output_opts(r, p);
  create_readers(p);
  return 0;
}
