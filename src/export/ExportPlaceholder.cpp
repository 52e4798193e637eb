// Placeholder until the export layer lands.
