namespace voltander::sim {}
