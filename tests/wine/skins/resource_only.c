/* A program that only carries resources: the doctor reads it as a client's executable. */
int main(void) { return 0; }
