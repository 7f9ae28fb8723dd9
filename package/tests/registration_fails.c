/* Stands in for a reader that cannot write the file-type keys: it ends the
   way the reader then ends, with exit code 2. */
int main(void) { return 2; }
