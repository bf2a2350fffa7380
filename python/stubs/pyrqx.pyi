# generated below
