[Help] x
