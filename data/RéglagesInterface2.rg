COM1	0	Velkaro
