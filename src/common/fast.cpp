#include "common/fast.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/path_utils.h"
#include "common/read_bytes.h"
#include "common/text_check.h"

namespace {

const int KS_BUF_SIZE = 4096;

// Buffered input over the zlib stream.
struct kstream_t {
  unsigned char buf[KS_BUF_SIZE];
  int begin = 0;
  int end = 0;
  int is_eof = 0;
  gzFile f = nullptr;
  fast *reader = nullptr; // keeps what ended the input; outlives the stream
};

// A failed read ends the input like a clean end would; what stopped it is
// kept so that the command can say so once, whatever passes it makes.
void note_read_error(kstream_t *ks) {
  std::string &damage = ks->reader->damage;
  if (!damage.empty())
    return;
  int err = Z_OK;
  const char *msg = gzerror(ks->f, &err);
  if (err == Z_OK)
    return;
  // zlib could not get its buffers: the input is sound and the run is short
  // of memory, which ends it as anywhere else.
  if (err == Z_MEM_ERROR)
    throw std::bad_alloc();
  if (err == Z_ERRNO) {
    damage = std::string("read error (") + std::strerror(errno) + ")";
    return;
  }
  // zlib prefixes its message with the descriptor ("<fd:3>: ").
  std::string detail = msg ? msg : "";
  size_t sep = detail.find(": ");
  if (sep != std::string::npos)
    detail.erase(0, sep + 2);
  damage = "gzip input is corrupt or truncated";
  if (!detail.empty())
    damage += " (" + detail + ")";
}

// Binary data is no input of reads: the input ends right before the first
// NUL byte, so that every record wholly before it passes and the one it
// falls in is dropped like one that damage cut. Looking at whole blocks
// keeps the check off the per-byte loops. Returns the bytes kept.
int refuse_binary(kstream_t *ks, int n) {
  if (n <= 0)
    return n;
  const void *nul = std::memchr(ks->buf, 0, size_t(n));
  if (!nul)
    return n;
  ks->is_eof = 1;
  ks->reader->not_text = true;
  ks->reader->damage = "it holds a NUL byte";
  return int(static_cast<const unsigned char *>(nul) - ks->buf);
}

// Refills the buffer; false when no byte is left. It runs once per buffer:
// kept out of line, it leaves the scanning loops that call it their
// registers (inlined into them, the reader ran about 7% slower).
__attribute__((noinline)) bool ks_fill(kstream_t *ks) {
  if (ks->is_eof)
    return false;
  ks->begin = 0;
  int n = gzread(ks->f, ks->buf, KS_BUF_SIZE);
  if (n < KS_BUF_SIZE) {
    ks->is_eof = 1;
    note_read_error(ks);
  }
  n = refuse_binary(ks, n);
  ks->end = n > 0 ? n : 0;
  return ks->end > 0;
}

inline int ks_getc(kstream_t *ks) {
  if (ks->begin >= ks->end && !ks_fill(ks))
    return -1;
  return ks->buf[ks->begin++];
}

inline bool ks_is_space(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

inline bool ks_is_stop(unsigned char c, int delimiter) {
  if (delimiter == 0)
    return ks_is_space(c);
  if (delimiter == 1)
    return ks_is_space(c) && c != ' ';
  return c == (unsigned char)delimiter;
}

// Reads into the emptied str up to the delimiter (0: any white space, 1:
// white space but the blank, otherwise that byte), consuming it. Returns the
// length, or -1 when the input was already exhausted.
int ks_getuntil(kstream_t *ks, int delimiter, std::string &str, int *dret) {
  if (dret)
    *dret = 0;
  str.clear();
  if (ks->begin >= ks->end && ks->is_eof)
    return -1;
  for (;;) {
    if (ks->begin >= ks->end && !ks_fill(ks))
      break;
    const unsigned char *p = ks->buf + ks->begin;
    const unsigned char *e = ks->buf + ks->end;
    const unsigned char *stop;
    if (delimiter > 1)
      stop = static_cast<const unsigned char *>(
          std::memchr(p, delimiter, size_t(e - p)));
    else {
      stop = p;
      while (stop < e && !ks_is_stop(*stop, delimiter))
        ++stop;
      if (stop == e)
        stop = nullptr;
    }
    if (stop) {
      str.append(reinterpret_cast<const char *>(p), size_t(stop - p));
      ks->begin = int(stop - ks->buf) + 1;
      if (dret)
        *dret = *stop;
      break;
    }
    str.append(reinterpret_cast<const char *>(p), size_t(e - p));
    ks->begin = ks->end;
  }
  return int(str.size());
}

// Appends the whole lines at `p` that hold sequence bytes only, passing
// over their line ends as the byte loop would; returns where it stopped.
const unsigned char *take_sequence_lines(const unsigned char *p,
                                         const unsigned char *e,
                                         std::string &seq) {
  for (;;) {
    const unsigned char *nl =
        static_cast<const unsigned char *>(std::memchr(p, '\n', size_t(e - p)));
    if (!nl || !all_in_range<true>(p, nl, SEQUENCE_BYTE_MAX))
      return p;
    seq.append(reinterpret_cast<const char *>(p), size_t(nl - p));
    p = nl + 1;
  }
}

// Appends the graphic bytes up to end of input, '>', '@' or '+'; returns the
// byte that ended the sequence (-1 at end of input).
int read_sequence(kstream_t *ks, std::string &seq) {
  for (;;) {
    if (ks->begin >= ks->end && !ks_fill(ks))
      return -1;
    const unsigned char *e = ks->buf + ks->end;
    const unsigned char *p = take_sequence_lines(ks->buf + ks->begin, e, seq);
    const unsigned char *run = p;
    while (p < e) {
      unsigned char c = *p;
      if (in_byte_range(c, SEQUENCE_BYTE_MAX)) {
        if (is_sequence_stop(c))
          break;
        ++p;
        continue;
      }
      seq.append(reinterpret_cast<const char *>(run), size_t(p - run));
      run = ++p;
    }
    seq.append(reinterpret_cast<const char *>(run), size_t(p - run));
    if (p < e) {
      ks->begin = int(p - ks->buf) + 1;
      return *p;
    }
    ks->begin = ks->end;
  }
}

// Reads quality bytes (33 to 127) until it is as long as the sequence;
// returns the byte read once it is full (consumed), or -1 at end of input.
// `crossed` tells whether a line end was passed over on the way.
int read_quality(kstream_t *ks, std::string &qual, size_t want, bool &crossed) {
  for (;;) {
    if (ks->begin >= ks->end && !ks_fill(ks))
      return -1;
    const unsigned char *p = ks->buf + ks->begin;
    const unsigned char *e = ks->buf + ks->end;
    // The usual case at once: the rest of the quality, and the byte after
    // it, in the buffer with quality bytes only.
    const size_t need = want - qual.size();
    if (size_t(e - p) > need &&
        all_in_range<false>(p, p + need, QUALITY_BYTE_MAX)) {
      qual.append(reinterpret_cast<const char *>(p), need);
      ks->begin = int(p + need - ks->buf) + 1;
      return p[need];
    }
    const unsigned char *run = p;
    while (p < e) {
      if (qual.size() + size_t(p - run) >= want) {
        qual.append(reinterpret_cast<const char *>(run), size_t(p - run));
        ks->begin = int(p - ks->buf) + 1;
        return *p;
      }
      unsigned char c = *p;
      if (in_byte_range(c, QUALITY_BYTE_MAX)) {
        ++p;
        continue;
      }
      if (c == '\n')
        crossed = true;
      qual.append(reinterpret_cast<const char *>(run), size_t(p - run));
      run = ++p;
    }
    qual.append(reinterpret_cast<const char *>(run), size_t(p - run));
    ks->begin = ks->end;
  }
}

// Bytes that may stand on a blank line, or after the last byte of a line.
inline bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A whole quality ends at its line's end: `c`, the byte read once it was
// full, may be followed by blanks only up to the newline or end of input.
// The blanks are consumed. A carriage return is a blank here, so Windows
// line ends cost one byte more.
bool quality_ends_line(kstream_t *ks, int c) {
  while (c != '\n' && c != -1 && is_blank(c))
    c = ks_getc(ks);
  return c == '\n' || c == -1;
}

// A record cut short is not passed on: all of it is emptied. Returns -2.
int drop_cut_record(fast_t &rec) {
  rec.name.clear();
  rec.seq.clear();
  rec.qual.clear();
  rec.qual_exist = true; // of no kind: a held record may have been settled
  return -2;
}

// What makes a record damaged, as the damage text says it.
const char *const QUAL_LONGER = "its quality is longer than its sequence";
const char *const QUAL_SHORTER = "its quality is shorter than its sequence";
const char *const NO_PLUS_LINE = "its '+' line is missing";
const char *const NO_HEADER = "its header line does not begin with '@' or '>'";
const char *const NO_QUAL_LINE = "its quality line is missing";
const char *const EXTRA_PLUS_LINE = "its '+' line is doubled";
const char *const PLUS_AFTER_BARE =
    "it has a '+' line but the '@' records before it have none";

// Held by last_char when the text after a quality is no header: the next
// record is damaged, and said once this one has been handed on.
const int NOT_BLANK = -2;

} // namespace

// Parser state: the header character already consumed for the next record
// (0 when none, NOT_BLANK for text where it should be), the buffered
// stream, and what the input has shown of its kind so far: a record with a
// '+' line, an '@' record without one.
//
// An input mixes '@' records with and without a '+' line only when it is
// damaged, so the first '@' record without one is held until the input
// shows which kind it is: the records after it are read into `held` and
// handed on by the next calls. Only an '@' record with a sequence, a '+'
// line or the end shows the kind. A '>' record shows nothing of it, as it
// has no '+' line in either kind of input (and a '>' in a quality that lost
// its '+' line begins one); nor does an empty record, which is passed over.
struct kseq_t {
  int last_char = 0;
  kstream_t f;
  bool shown_fastq = false;
  bool shown_bare = false;
  // The record just read is that first one, until the kind is shown.
  bool kind_pending = false;
  // The number of the first '@' record without a '+' line when it was
  // empty, until the kind is shown; it is the one named when the kind is
  // FASTQ.
  int64_t empty_bare = 0;
  bool damage_is_record = false; // damage names a record, not the stream
  // The records read ahead, handed on from held_next while any is left;
  // the last one ends with held_l, which may be the end of the input.
  std::vector<fast_t> held;
  size_t held_next = 0;
  int held_l = 0;
};

namespace {

// A corrupt gzip stream inflates bytes that are not the file's text, and
// zlib may find the fault only further on, or at the stream's end by its
// check sum. So when the text looks damaged, up to this much more of the
// stream is inflated, and a corrupt stream found there is named instead of
// the text it made. Only a failing run pays for it; the bound keeps an
// endless stream from holding the run.
const int64_t GZIP_FAULT_LOOKAHEAD = int64_t(64) << 20;

void find_gzip_fault(kstream_t *ks) {
  if (gzdirect(ks->f))
    return;
  for (int64_t left = GZIP_FAULT_LOOKAHEAD; left > 0 && !ks->is_eof;
       left -= KS_BUF_SIZE)
    if (gzread(ks->f, ks->buf, KS_BUF_SIZE) < KS_BUF_SIZE)
      ks->is_eof = 1;
  int err = Z_OK;
  gzerror(ks->f, &err);
  if (err == Z_DATA_ERROR)
    note_read_error(ks);
}

// Damage inside the text: record `number` is named with what is wrong, the
// input ends there as at a read error, and the record is dropped. A damage
// found first (a read error) is the one kept.
int damaged_record(fast &reader, int64_t number, const char *what,
                   fast_t &rec) {
  if (reader.damage.empty())
    find_gzip_fault(&reader.seq->f);
  if (reader.damage.empty()) {
    reader.damage =
        "record " + std::to_string(number) + " is damaged (" + what + ")";
    reader.seq->damage_is_record = true;
  }
  kstream_t &ks = reader.seq->f;
  ks.begin = ks.end;
  ks.is_eof = 1;
  reader.seq->last_char = 0;
  return drop_cut_record(rec);
}

// Passes over blank lines up to the next header character; -1 at end of
// input, NOT_BLANK at any other text.
int find_header(kstream_t *ks) {
  int c;
  while ((c = ks_getc(ks)) != -1 && c != '>' && c != '@')
    if (!is_blank(c))
      return NOT_BLANK;
  return c;
}

// An '@' record that the end reached before any '+' line is cut short;
// unless the '@' records of this input have carried no quality so far,
// when it is one more record without quality.
bool cut_before_plus(const kseq_t *s, int head) {
  return head == '@' && (s->shown_fastq || !(s->shown_bare || s->empty_bare));
}

// What a record without a '+' line shows of the input's kind; `c` ended
// its sequence (-1 at the end). The first '@' record of the kind unknown
// yet is held when a header follows it, until an '@' record with a sequence
// shows the input to be without quality. An empty one is only remembered,
// and the first record with a sequence after it shows that.
void note_bare_record(kseq_t *s, int head, int c, bool empty, int64_t number) {
  const bool unknown = !s->shown_bare && !s->shown_fastq;
  if (empty) {
    if (head == '@' && c != -1 && unknown && !s->empty_bare)
      s->empty_bare = number;
    return;
  }
  if (head == '@') {
    s->shown_bare = true;
    // The first is held; any later one settles it.
    s->kind_pending = c != -1 && unknown;
    if (s->kind_pending)
      return;
  } else if (s->empty_bare) {
    s->shown_bare = true;
  }
  s->empty_bare = 0;
}

} // namespace

fast::fast() = default;

fast::fast(const std::string &name, bool trim) : trim_slash(trim) {
  open(name);
}

fast::~fast() { close(); }

bool fast::open(const std::string &name) {
  close();
  int fd = open_for_reading(name);
  file_open = true;
  l = 0;
  lines_read = 0;
  record_number = 0;
  filename = name;
  damage.clear();
  not_text = false;
  struct stat st;
  bool usable = fd >= 0 && look_at(fd, st) && !S_ISDIR(st.st_mode);
  if (usable)
    fp = gzdopen(fd, "r");
  if (!usable || !fp) {
    if (fd >= 0)
      ::close(fd);
    fp = nullptr;
    file_open = false;
    // A caller looping until l turns negative stops at once.
    l = -1;
    // zlib refuses a descriptor that can be read only when it cannot get
    // memory for its state: the file is fine, the run is short of memory.
    if (usable)
      throw std::bad_alloc();
    return false;
  }
  gzbuffer(fp, 1u << 17);
  seq = new kseq_t;
  seq->f.f = fp;
  seq->f.reader = this;
  // The first block is read now, so that binary data is refused before the
  // command writes anything.
  ks_fill(&seq->f);
  if (not_text) {
    close();
    l = -1;
    return false;
  }
  return true;
}

void fast::close() {
  if (!file_open || !seq)
    return;
  file_open = false;
  delete seq;
  seq = nullptr;
  gzclose(fp);
  fp = nullptr;
}

namespace {

// A quality whose line is followed by text where a header should be did
// not end its record. A quality over several lines took the lines after a
// short one; a line taken whole as the quality may be the next header or a
// second '+' line, the record's own line being lost. Any other line before
// the text is a whole quality, and the next header lost its '@'. Null when
// this record is whole.
const char *quality_not_ended(const std::string &qual, bool crossed) {
  if (crossed)
    return QUAL_SHORTER;
  if (qual[0] == '@')
    return NO_QUAL_LINE;
  if (qual[0] == '+')
    return EXTRA_PLUS_LINE;
  return nullptr;
}

} // namespace

// One record, as next_record says, before the first '@' record without a
// '+' line has been settled.
int fast::read_record(fast_t &rec) {
  kstream_t *ks = &seq->f;
  for (;;) {
    int c = seq->last_char;
    if (c == 0)
      c = find_header(ks);
    if (c == NOT_BLANK)
      return l = damaged_record(*this, record_number + 1, NO_HEADER, rec);
    if (c == -1) {
      rec.name.clear(); // of an empty record skipped before
      l = -1;
      return l;
    }
    // Taken now: once this record ends, only the one after it may be held.
    const int head = c;
    seq->last_char = 0;
    ++record_number;
    rec.seq.clear();
    rec.qual.clear();
    if (ks_getuntil(ks, '\n', rec.name, nullptr) < 0) {
      // The input ended right after the header character.
      l = cut_before_plus(seq, head) ? drop_cut_record(rec) : -1;
      return l;
    }
    c = read_sequence(ks, rec.seq);
    if (c == '+') {
      if (head == '@' && seq->shown_bare && !seq->kind_pending)
        return l = damaged_record(*this, record_number, PLUS_AFTER_BARE, rec);
      if (seq->empty_bare && !seq->kind_pending)
        return l = damaged_record(*this, seq->empty_bare, NO_PLUS_LINE, rec);
      seq->shown_fastq = true;
      while ((c = ks_getc(ks)) != -1 && c != '\n') {
      }
      if (c == -1)
        return l = drop_cut_record(rec);
      bool crossed = false;
      c = read_quality(ks, rec.qual, rec.seq.size(), crossed);
      if (rec.qual.size() < rec.seq.size())
        return l = drop_cut_record(rec);
      if (!quality_ends_line(ks, c))
        return l = damaged_record(*this, record_number,
                                  crossed ? QUAL_SHORTER : QUAL_LONGER, rec);
      // What follows is read before the record is handed on: only a header
      // or the end shows that the quality ended the record.
      c = find_header(ks);
      const char *what = nullptr;
      if (c == NOT_BLANK && !rec.qual.empty() &&
          (what = quality_not_ended(rec.qual, crossed)))
        return l = damaged_record(*this, record_number, what, rec);
      if (c != -1)
        seq->last_char = c;
    } else {
      if (c != -1 && head == '@' && seq->shown_fastq)
        return l = damaged_record(*this, record_number, NO_PLUS_LINE, rec);
      // A FASTQ record that the end reached before its '+' line, or any
      // record that damage may have cut anywhere: a part of a record must
      // not pass for a whole one.
      if (c == -1 && (!damage.empty() || cut_before_plus(seq, head)))
        return l = drop_cut_record(rec);
      if (c != -1)
        seq->last_char = c;
      note_bare_record(seq, head, c, rec.seq.empty(), record_number);
    }
    if (!rec.seq.empty())
      break;
  }
  l = int(rec.seq.size());
  if (rec.qual.empty()) {
    rec.qual = "*";
    rec.qual_exist = false;
  }
  if (trim_slash) {
    // A carriage return ends the name too: it is the line end of a file
    // written with Windows line ends, never part of a read name.
    size_t cut = rec.name.find_first_of(" \t/\r");
    if (cut != std::string::npos)
      rec.name.resize(cut);
  }
  return l;
}

namespace {

// The '>' records read ahead behind the held record are kept up to this
// many bytes (with their bookkeeping), so that '@' records without quality
// among long FASTA records are read in bounded memory. Past them the held
// record is taken to be without quality: the '>' records that the rest of a
// quality makes when its '+' line is lost are far fewer, and an '@' record with
// a '+' line found later is named as of the other kind.
const size_t HELD_BYTES_MAX = size_t(4) << 20;

void drop_held(kseq_t *s) {
  std::vector<fast_t>().swap(s->held);
  s->held_next = 0;
}

// The next record read ahead, with its l.
int hand_on_held(kseq_t *s, fast_t &rec) {
  std::swap(rec, s->held[s->held_next++]);
  if (s->held_next < s->held.size())
    return int(rec.seq.size());
  drop_held(s);
  return s->held_l;
}

} // namespace

// The first '@' record without a '+' line that has a sequence, just read
// into `rec`: the records after it are read ahead until the input's kind
// is shown. When it is FASTQ, the first '@' record without a '+' line
// (this one, or an empty one before it) is the damaged one: it lost its
// own, and takes the place of any damage found after it; nothing read
// ahead is passed on. When only empty records follow it up to the end, it
// is the last record, which the end may have cut before its '+' line.
int fast::settle_first_bare(fast_t &rec) {
  const int first_l = l;
  const bool after_empty = seq->empty_bare != 0;
  const int64_t number = after_empty ? seq->empty_bare : record_number;
  std::vector<fast_t> &held = seq->held;
  size_t bytes = 0;
  do {
    held.emplace_back();
    seq->held_l = read_record(held.back());
    bytes += sizeof(fast_t) + held.back().name.size() + held.back().seq.size();
  } while (seq->held_l > 0 && seq->kind_pending && !seq->shown_fastq &&
           bytes < HELD_BYTES_MAX);
  seq->kind_pending = false;
  seq->empty_bare = 0;
  if (seq->shown_fastq) {
    drop_held(seq);
    if (seq->damage_is_record) {
      damage.clear();
      seq->damage_is_record = false;
    }
    return l = damaged_record(*this, number, NO_PLUS_LINE, rec);
  }
  if (seq->held_l == -1 && held.size() == 1 && !after_empty) {
    drop_held(seq);
    return l = drop_cut_record(rec);
  }
  return l = first_l;
}

int fast::next_record(fast_t &rec) {
  rec.name.clear();
  rec.seq.clear();
  rec.qual.clear();
  rec.qual_exist = true;
  if (!seq) {
    rec.qual = "File not open!";
    l = -1;
    return l;
  }
  if (!seq->held.empty())
    return l = hand_on_held(seq, rec);
  read_record(rec);
  if (seq->kind_pending)
    settle_first_bare(rec);
  return l;
}

int read_next(fast &reader, fast_t &rec) {
  int l = reader.next_record(rec);
  if (l == -2 && reader.damage.empty())
    std::cerr << "Warning: " << reader.filename
              << ": the last FASTQ record is cut short and was skipped"
              << std::endl;
  return l;
}

bool report_damage(const fast &reader) {
  if (reader.damage.empty())
    return false;
  if (reader.not_text)
    std::cerr << not_text_message(reader.filename) << std::endl;
  else
    std::cerr << "ERROR: " << reader.filename << ": " << reader.damage
              << "; reading stopped early" << std::endl;
  return true;
}

void report_open_failure(const fast &reader, const std::string &cannot_open) {
  if (reader.not_text)
    std::cerr << not_text_message(reader.filename) << std::endl;
  else
    std::cerr << cannot_open << reader.filename << std::endl;
}

fast_t fast::get_next_record() {
  fast_t rec;
  next_record(rec);
  return rec;
}
