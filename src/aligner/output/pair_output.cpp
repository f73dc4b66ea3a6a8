#include "aligner/output/pair_output.h"

#include "aligner/output/sam_format.h"
#include "aligner/setup/params.h"

static void unmapped_mate(std::string &o, const tolve_params_t *p,
                          const std::string &name, const char *flag,
                          const fast_t &m, const std::string &barcode) {
  o.append(name);
  o.push_back('\t');
  o.append(flag);
  o.append("\t*\t0\t0\t*\t*\t0\t0\t");
  append_seq_field(o, m.seq);
  o.push_back('\t');
  append_seq_field(o, m.qual);
  o.append("\tAM:i:0\tSM:i:0");
  append_opt_tags(o, p, barcode);
  o.push_back('\n');
}

void write_pair_side(const std::string &name, const fast_t &mate1,
                     const fast_t &mate2, std::string *hybrid[2]) {
  append_side_record(*hybrid[0], name, "/1", mate1.seq, mate1.qual,
                     mate1.qual_exist);
  append_side_record(*hybrid[1], name, "/2", mate2.seq, mate2.qual,
                     mate2.qual_exist);
}

void write_pair_unmapped(const tolve_params_t *p, const std::string &name,
                         const fast_t &mate1, const fast_t &mate2,
                         const std::string &barcode, std::string &sam,
                         std::string *hybrid[2]) {
  if (p->hybrid_mode) {
    write_pair_side(name, mate1, mate2, hybrid);
    return;
  }
  unmapped_mate(sam, p, name, "77", mate1, barcode);
  unmapped_mate(sam, p, name, "141", mate2, barcode);
}
