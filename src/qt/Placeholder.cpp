namespace voltander {}
