#include "aligner/setup/chrom_span.h"

void build_refs(tolve_params_t *p) {
  if (!p->refs)
    p->refs = new ref_table_t();
  p->refs->seqs.clear();
  if (p->start_genome)
    build_ref_table(*p->refs, *p->start_genome, p->genome_length);
}
